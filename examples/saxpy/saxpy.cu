// y = a * x + y over n floats, one thread per element. Joined into one source text with:
//   quillfold -i saxpy.cu -I include -lnff -o saxpy.joined.cu
#include "grid.cuh"
#include <ops/axpy.cuh>

extern "C" __global__ void saxpy(int n, float a, const float* x, float* y)
{
    const int i = global_index();
    if (i < n)
        y[i] = axpy(a, x[i], y[i]);
}
