#include <cstdio>

#include "app/run.h"

int main(int argc, char** argv) {
    return Run(argc, argv, stdin, stdout, stderr);
}
