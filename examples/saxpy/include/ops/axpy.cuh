#pragma once
// The same util/math.cuh as grid.cuh includes, by another path: #pragma once keeps one copy.
#include "../util/math.cuh"

#ifdef SAXPY_DELIBERATE_ERROR
// A mistake kept on purpose: "saxpy --deliberate-error" compiles this, and the log points here.
__device__ inline float axpy_typo(float a, float x, float y) { return multiply_ad(a, x, y); }
#endif

__device__ inline float axpy(float a, float x, float y)
{
    return multiply_add(a, x, y);
}
