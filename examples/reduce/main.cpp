// Compiles the joined kernel to PTX with NVRTC, with no include path: the joined text holds the
// CUDA C++ library's headers it uses. This part needs no GPU.
//
// The kernel's text is embedded at build time (reduce_cu.h, written by quillfold_join).
// "reduce --deliberate-error" compiles it with -DTHRUST_DEVICE_BACKEND, which the library refuses
// with an #error in one of its headers: NVRTC's log printed below names that header and line.
#include <nvrtc.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "reduce_cu.h"

int main(int argc, char** argv) {
    const bool deliberate_error = argc > 1 && std::strcmp(argv[1], "--deliberate-error") == 0;
    nvrtcProgram program;
    if (nvrtcCreateProgram(&program, reduce_cu().c_str(), "reduce.joined.cu", 0, nullptr,
                           nullptr) != NVRTC_SUCCESS) {
        std::fprintf(stderr, "reduce: nvrtcCreateProgram failed\n");
        return 1;
    }
    std::vector<const char*> options{"-std=c++17"};
    if (deliberate_error) options.push_back("-DTHRUST_DEVICE_BACKEND");
    const nvrtcResult result =
        nvrtcCompileProgram(program, static_cast<int>(options.size()), options.data());

    // The log holds the compiler's errors and warnings, at the files and lines they came from.
    size_t log_size = 0;
    nvrtcGetProgramLogSize(program, &log_size);
    std::string log(log_size, '\0');
    nvrtcGetProgramLog(program, &log[0]);
    if (log.find_first_not_of(std::string(" \n\0", 3)) != std::string::npos) {
        std::fprintf(stderr, "%s\n", log.c_str());
    }
    if (result != NVRTC_SUCCESS) {
        std::fprintf(stderr, "reduce: NVRTC failed: %s\n", nvrtcGetErrorString(result));
        return 1;
    }

    size_t ptx_size = 0;
    nvrtcGetPTXSize(program, &ptx_size);
    std::string ptx(ptx_size, '\0');
    nvrtcGetPTX(program, &ptx[0]);
    nvrtcDestroyProgram(&program);
    if (ptx.find(".entry block_sum") == std::string::npos) {
        std::fprintf(stderr, "reduce: the PTX has no entry point block_sum\n");
        return 1;
    }
    std::printf("reduce: %zu bytes of PTX with the entry point block_sum\n", ptx.size());
    return 0;
}
