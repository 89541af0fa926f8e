#pragma once
// Beside saxpy.cu; util/math.cuh is found through the include directory.
#include "util/math.cuh"

__device__ inline int global_index()
{
    return multiply_add(static_cast<int>(blockIdx.x), static_cast<int>(blockDim.x),
                        static_cast<int>(threadIdx.x));
}
