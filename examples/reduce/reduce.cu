// The sum of each block's values, with a block-wide reduction of the CUDA C++ library and its
// standard library for the device. Joined into one source text that needs no include path with:
//   quillfold -i reduce.cu -I <CUDA toolkit>/include/cccl -eci -kui -sg -lnff -o reduce.joined.cu
#include <cub/block/block_reduce.cuh>
#include <cuda/std/array>
#include <cuda/std/type_traits>

constexpr int kThreads = 128;

extern "C" __global__ void block_sum(const int* values, int* sums)
{
    using Reduce = cub::BlockReduce<int, kThreads>;
    __shared__ typename Reduce::TempStorage storage;
    // Each thread takes two values; their pair is summed first.
    const cuda::std::array<int, 2> pair{values[2 * (blockIdx.x * kThreads + threadIdx.x)],
                                        values[2 * (blockIdx.x * kThreads + threadIdx.x) + 1]};
    static_assert(cuda::std::is_same<decltype(pair[0] + pair[1]), int>::value, "ints add to int");
    const int sum = Reduce(storage).Sum(pair[0] + pair[1]);
    if (threadIdx.x == 0) sums[blockIdx.x] = sum;
}
