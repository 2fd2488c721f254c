#include "image/kernelset.h"

#include <atomic>

namespace tavelon {

namespace {

std::atomic<bool> forcedPlain{false};

bool processorHasAvx2()
{
#if defined(TAVELON_AVX2_KERNELS)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
#else
    return false;
#endif
}

} // namespace

bool useAvx2Kernels()
{
    return processorHasAvx2() && !forcedPlain.load(std::memory_order_relaxed);
}

void forcePlainKernels(bool plain)
{
    forcedPlain.store(plain, std::memory_order_relaxed);
}

} // namespace tavelon
