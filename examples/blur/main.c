/* Blurs a small image with the joined kernel and checks the result against the same blur in C.
 *
 * The kernel's text is embedded at build time (blur_cl.h, written by quillfold_join) and built
 * here by the OpenCL runtime. "blur --deliberate-error" builds it with -DBLUR_DELIBERATE_ERROR,
 * which turns on a mistake in filters/gaussian.h: the build fails, and the runtime's log printed
 * below names that header and line. */
#define CL_TARGET_OPENCL_VERSION 120
#include <CL/cl.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "blur_cl.h"

enum { WIDTH = 19, HEIGHT = 11, RADIUS = 2, PIXELS = WIDTH * HEIGHT };
static const float kWeights[2 * RADIUS + 1] = {0.0625f, 0.25f, 0.375f, 0.25f, 0.0625f};

#define CHECK(status, what)                                                  \
    if ((status) != CL_SUCCESS) {                                            \
        fprintf(stderr, "blur: %s failed with %d\n", (what), (int)(status)); \
        return 1;                                                            \
    }

static int clamp_to(int v, int size) {
    return v < 0 ? 0 : (v >= size ? size - 1 : v);
}

/* One pass of the kernel in C: along the rows, or along the columns. */
static void blur_pass(const float* src, float* dst, int along_rows) {
    for (int y = 0; y < HEIGHT; ++y) {
        for (int x = 0; x < WIDTH; ++x) {
            float sum = 0.0f;
            for (int i = -RADIUS; i <= RADIUS; ++i) {
                const int sx = along_rows ? clamp_to(x + i, WIDTH) : x;
                const int sy = along_rows ? y : clamp_to(y + i, HEIGHT);
                sum += kWeights[i + RADIUS] * src[sy * WIDTH + sx];
            }
            dst[y * WIDTH + x] = sum;
        }
    }
}

/* The first device of any kind on the first platform that has one. */
static int find_device(cl_device_id* device) {
    cl_platform_id platforms[8];
    cl_uint count = 0;
    if (clGetPlatformIDs(8, platforms, &count) != CL_SUCCESS) return 0;
    for (cl_uint i = 0; i < count && i < 8; ++i) {
        if (clGetDeviceIDs(platforms[i], CL_DEVICE_TYPE_ALL, 1, device, NULL) == CL_SUCCESS)
            return 1;
    }
    return 0;
}

/* The build log holds the compiler's errors and warnings, at the files and lines they came from. */
static void print_build_log(cl_program program, cl_device_id device) {
    size_t size = 0;
    clGetProgramBuildInfo(program, device, CL_PROGRAM_BUILD_LOG, 0, NULL, &size);
    char* log = calloc(size + 1, 1);
    if (!log) return;
    clGetProgramBuildInfo(program, device, CL_PROGRAM_BUILD_LOG, size, log, NULL);
    if (strspn(log, " \n") < strlen(log)) fprintf(stderr, "%s\n", log);
    free(log);
}

/* Runs one of the kernels over the whole image, from src into dst. */
static cl_int run_pass(cl_command_queue queue, cl_kernel kernel, cl_mem src, cl_mem dst) {
    const cl_int width = WIDTH, height = HEIGHT;
    const size_t global[2] = {WIDTH, HEIGHT};
    cl_int status = clSetKernelArg(kernel, 0, sizeof src, &src);
    if (status == CL_SUCCESS) status = clSetKernelArg(kernel, 1, sizeof dst, &dst);
    if (status == CL_SUCCESS) status = clSetKernelArg(kernel, 2, sizeof width, &width);
    if (status == CL_SUCCESS) status = clSetKernelArg(kernel, 3, sizeof height, &height);
    if (status != CL_SUCCESS) return status;
    return clEnqueueNDRangeKernel(queue, kernel, 2, NULL, global, NULL, 0, NULL, NULL);
}

int main(int argc, char** argv) {
    const int deliberate_error = argc > 1 && strcmp(argv[1], "--deliberate-error") == 0;
    cl_device_id device;
    if (!find_device(&device)) {
        fprintf(stderr, "blur: no OpenCL platform with a device\n");
        return 1;
    }
    cl_int status;
    cl_context context = clCreateContext(NULL, 1, &device, NULL, NULL, &status);
    CHECK(status, "clCreateContext");
    cl_command_queue queue = clCreateCommandQueue(context, device, 0, &status);
    CHECK(status, "clCreateCommandQueue");

    /* The embedded text, in pieces as it is stored, goes to the runtime as it is. */
    cl_program program =
        clCreateProgramWithSource(context, (cl_uint)blur_cl_piece_count,
                                  (const char**)blur_cl_pieces, blur_cl_piece_sizes, &status);
    CHECK(status, "clCreateProgramWithSource");
    status = clBuildProgram(program, 1, &device, deliberate_error ? "-DBLUR_DELIBERATE_ERROR" : "",
                            NULL, NULL);
    print_build_log(program, device);
    CHECK(status, "clBuildProgram");

    float image[PIXELS], rows[PIXELS], expected[PIXELS], result[PIXELS];
    for (int i = 0; i < PIXELS; ++i) image[i] = (float)(i * 37 % 101) / 100.0f;
    cl_mem src = clCreateBuffer(context, CL_MEM_READ_ONLY | CL_MEM_COPY_HOST_PTR, sizeof image,
                                image, &status);
    CHECK(status, "clCreateBuffer");
    cl_mem between = clCreateBuffer(context, CL_MEM_READ_WRITE, sizeof image, NULL, &status);
    CHECK(status, "clCreateBuffer");
    cl_mem dst = clCreateBuffer(context, CL_MEM_WRITE_ONLY, sizeof image, NULL, &status);
    CHECK(status, "clCreateBuffer");
    cl_kernel blur_rows = clCreateKernel(program, "blur_rows", &status);
    CHECK(status, "clCreateKernel(blur_rows)");
    cl_kernel blur_columns = clCreateKernel(program, "blur_columns", &status);
    CHECK(status, "clCreateKernel(blur_columns)");
    CHECK(run_pass(queue, blur_rows, src, between), "blur_rows");
    CHECK(run_pass(queue, blur_columns, between, dst), "blur_columns");
    CHECK(clEnqueueReadBuffer(queue, dst, CL_TRUE, 0, sizeof result, result, 0, NULL, NULL),
          "clEnqueueReadBuffer");

    blur_pass(image, rows, 1);
    blur_pass(rows, expected, 0);
    for (int i = 0; i < PIXELS; ++i) {
        if (fabsf(result[i] - expected[i]) > 1e-5f) {
            fprintf(stderr, "blur: pixel (%d, %d) is %g, expected %g\n", i % WIDTH, i / WIDTH,
                    result[i], expected[i]);
            return 1;
        }
    }
    printf("blur: all %d pixels of a %dx%d image match the C computation\n", PIXELS, WIDTH, HEIGHT);

    clReleaseKernel(blur_rows);
    clReleaseKernel(blur_columns);
    clReleaseMemObject(src);
    clReleaseMemObject(between);
    clReleaseMemObject(dst);
    clReleaseProgram(program);
    clReleaseCommandQueue(queue);
    clReleaseContext(context);
    return 0;
}
