// Compiles the joined kernel to PTX with NVRTC, as a program does before it loads the PTX onto a
// GPU; this part needs no GPU.
//
// The kernel's text is embedded at build time (saxpy_cu.h, written by quillfold_join).
// "saxpy --deliberate-error" compiles it with -DSAXPY_DELIBERATE_ERROR, which turns on a mistake in
// ops/axpy.cuh: the compilation fails, and NVRTC's log printed below names that header and line.
#include <nvrtc.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "saxpy_cu.h"

int main(int argc, char** argv) {
    const bool deliberate_error = argc > 1 && std::strcmp(argv[1], "--deliberate-error") == 0;
    nvrtcProgram program;
    if (nvrtcCreateProgram(&program, saxpy_cu().c_str(), "saxpy.joined.cu", 0, nullptr, nullptr) !=
        NVRTC_SUCCESS) {
        std::fprintf(stderr, "saxpy: nvrtcCreateProgram failed\n");
        return 1;
    }
    std::vector<const char*> options;
    if (deliberate_error) options.push_back("-DSAXPY_DELIBERATE_ERROR");
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
        std::fprintf(stderr, "saxpy: NVRTC failed: %s\n", nvrtcGetErrorString(result));
        return 1;
    }

    size_t ptx_size = 0;
    nvrtcGetPTXSize(program, &ptx_size);
    std::string ptx(ptx_size, '\0');
    nvrtcGetPTX(program, &ptx[0]);
    nvrtcDestroyProgram(&program);
    if (ptx.find(".entry saxpy") == std::string::npos) {
        std::fprintf(stderr, "saxpy: the PTX has no entry point saxpy\n");
        return 1;
    }
    std::printf("saxpy: %zu bytes of PTX with the entry point saxpy\n", ptx.size());
    return 0;
}
