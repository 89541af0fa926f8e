#include <cstdio>
#include <cstdlib>

#include "app/run.h"

int main(int argc, char** argv) {
    // The environment, read here alone, can turn the folder listings off to show they change
    // nothing.
    const char* probe = std::getenv("QUILLFOLD_PROBE_INCLUDES");
    return Run(argc, argv, stdin, stdout, stderr, probe != nullptr && *probe != '\0');
}
