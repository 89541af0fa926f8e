#include "io/replace_file.h"

namespace {

// Names that another run, started the same instant, is unlikely to pick too; a name taken
// already is passed over by the exclusive create.
std::uint64_t Next_Random(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15u;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

}  // namespace

void Replacement_Path(const std::string& target, const char* separators, std::uint64_t& state,
                      std::string& temporary) {
    const std::size_t separator = target.find_last_of(separators);
    const std::size_t name = separator == std::string::npos ? 0 : separator + 1;
    static const char kDigits[] = "0123456789abcdef";
    temporary.assign(target, 0, name).append(".").append(target, name, std::string::npos);
    temporary.append(".quillfold-");
    std::uint64_t bits = Next_Random(state);
    for (int i = 0; i < 8; ++i, bits >>= 4) temporary.push_back(kDigits[bits & 15]);
}
