// A program that formats with a header-only library, whose headers include each other.
#define FMT_HEADER_ONLY
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <vector>

int main() {
    std::vector<int> sizes{3, 5, 7};
    fmt::print("{} and {:>5} and {}\n", 42, "blur", sizes);
}
