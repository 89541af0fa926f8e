// Random bytes as a tree of three files, a.c including the others as it likes (b.h beside it, c.h
// through the include path), joined in-process
// with switches the first byte picks. Whatever the bytes, the run must not crash, must leave
// every input as it was, and must answer the same with the folder listings off.
//
//   CXX=clang++ cmake -S . -B build-fuzz -DQUILLFOLD_FUZZ=ON -DQUILLFOLD_SANITIZE=ON
//   cmake --build build-fuzz --target quillfold_fuzz
//   build-fuzz/quillfold_fuzz -max_total_time=60 tests/fuzz/corpus

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/run.h"

namespace {

std::string Read(const char* path) {
    std::string bytes;
    if (FILE* file = std::fopen(path, "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<char>(c));
        std::fclose(file);
    }
    return bytes;
}

void Write(const char* path, const std::string& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// The folder the trees are written to, made once.
const std::string& Folder() {
    static const std::string folder = [] {
        char made[] = "/tmp/quillfold-fuzz-XXXXXX";
        if (mkdtemp(made) == nullptr) std::abort();
        if (mkdir((std::string(made) + "/sub").c_str(), 0700) != 0) std::abort();
        return std::string(made);
    }();
    return folder;
}

// The status, the output and the messages of one run.
std::string Join(const std::vector<const char*>& args, const std::string& output, bool probe) {
    std::remove(output.c_str());
    FILE* err = std::tmpfile();
    FILE* in = std::tmpfile();
    const int status = Run(static_cast<int>(args.size()), args.data(), in, err, err, probe);
    std::string messages;
    std::rewind(err);
    for (int c; (c = std::fgetc(err)) != EOF;) messages.push_back(static_cast<char>(c));
    std::fclose(err);
    std::fclose(in);
    return std::to_string(status) + "\n" + Read(output.c_str()) + "\n" + messages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::string& folder = Folder();
    const std::string bytes(reinterpret_cast<const char*>(data) + 3, size - 3);
    const std::size_t first = data[1] % (bytes.size() + 1);
    const std::size_t second = first + data[2] % (bytes.size() - first + 1);
    const std::string names[] = {folder + "/a.c", folder + "/b.h", folder + "/sub/c.h"};
    const std::string texts[] = {bytes.substr(0, first), bytes.substr(first, second - first),
                                 bytes.substr(second)};
    for (int i = 0; i < 3; ++i) Write(names[i].c_str(), texts[i]);
    const std::string include = folder + "/sub", output = folder + "/out.txt";

    std::vector<const char*> args = {"quillfold", "-i",  names[0].c_str(), "-I",
                                     include.c_str(), "-mir", "40", "-mos",
                                     "1M", "-o", output.c_str()};
    const char* const switches[] = {"-sg", "-io", "-eci", "-lnff", "-kui", "-nfln", "-sif", "-v"};
    for (int bit = 0; bit < 8; ++bit) {
        if ((data[0] >> bit & 1) != 0) args.push_back(switches[bit]);
    }
    const std::string listed = Join(args, output, false);
    if (Join(args, output, true) != listed) std::abort();
    for (int i = 0; i < 3; ++i) {
        if (Read(names[i].c_str()) != texts[i]) std::abort();
    }
    return 0;
}
