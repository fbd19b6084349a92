// SPDX-License-Identifier: MIT
#include "image/instruction_sets.h"

#include <algorithm>
#include <atomic>

namespace quelix {

namespace {

VectorLevel Detect()
{
#if defined(__x86_64__) && defined(__clang__)
    // Clang (the fuzz build's compiler) knows no level names here: the
    // features that tell the levels apart.
    __builtin_cpu_init();
    const bool v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                    __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    const bool v4 = v3 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                    __builtin_cpu_supports("avx512cd") && __builtin_cpu_supports("avx512dq") &&
                    __builtin_cpu_supports("avx512vl");
    return v4 ? VectorLevel::Avx512 : v3 ? VectorLevel::Avx2 : VectorLevel::Baseline;
#elif defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("x86-64-v4"))
        return VectorLevel::Avx512;
    if (__builtin_cpu_supports("x86-64-v3"))
        return VectorLevel::Avx2;
    return VectorLevel::Baseline;
#else
    return VectorLevel::Baseline;
#endif
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
