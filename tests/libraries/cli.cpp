// A program that uses a command-line parsing library on a fixed argument list.
#include <CLI/CLI.hpp>
#include <iostream>

int main() {
    CLI::App app{"joined"};
    int count = 0;
    std::string name;
    app.add_option("-n,--count", count);
    app.add_option("--name", name);
    const char* argv[] = {"joined", "-n", "3", "--name", "kernel"};
    app.parse(5, argv);
    std::cout << name << " x" << count << "\n";
}
