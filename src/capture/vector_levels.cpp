#include "capture/vector_levels.h"

#include <algorithm>
#include <atomic>

namespace quelix {

namespace {

VectorLevel Detect()
{
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("x86-64-v4"))
        return VectorLevel::Avx512;
    if (__builtin_cpu_supports("x86-64-v3"))
        return VectorLevel::Avx2;
#endif
    return VectorLevel::Baseline;
}

std::atomic<VectorLevel> limit{VectorLevel::Avx512};

}  // namespace

VectorLevel ProcessorVectorLevel()
{
    static const VectorLevel level = Detect();
    return level;
}

VectorLevel ActiveVectorLevel()
{
    return std::min(ProcessorVectorLevel(), limit.load(std::memory_order_relaxed));
}

void LimitVectorLevel(VectorLevel level)
{
    limit.store(level, std::memory_order_relaxed);
}

std::vector<VectorLevel> SupportedVectorLevels()
{
    std::vector<VectorLevel> levels;
    for (int32_t level = 0; level <= static_cast<int32_t>(ProcessorVectorLevel()); ++level)
        levels.push_back(static_cast<VectorLevel>(level));
    return levels;
}

}  // namespace quelix
