// SPDX-License-Identifier: MIT
// One binary, the widest vectors the processor has: the hot loops of the
// pixel kernels are compiled three times, for the x86-64 baseline (SSE2),
// for x86-64-v3 (AVX2) and for x86-64-v4 (AVX-512), and each call runs the
// build the processor supports. Every build computes the same integers, so
// results never depend on the processor (floating-point multiplies and adds
// are never fused into one rounding: the library is built with
// -ffp-contract=off).
//
//   RunVectorised([=] { ShadeRows(row, count, ...); });
//
// The body is inlined into each build (flatten), so it should call inline
// functions with plain arguments (captured by value) rather than work
// through captured references, which the compiler cannot vectorise.
#pragma once

#include <cstdint>
#include <vector>

namespace quelix {

enum class VectorLevel : int32_t { Baseline = 0, Avx2 = 1, Avx512 = 2 };

// The widest level this processor (and system) supports.
VectorLevel ProcessorVectorLevel();
// The level the kernels run at: the processor's, unless limited.
VectorLevel ActiveVectorLevel();
// Runs the kernels at most at `level` from now on, in every thread (for
// comparing the builds with each other, as the tests do).
void LimitVectorLevel(VectorLevel level);
// Every level this processor can run, narrowest first.
std::vector<VectorLevel> SupportedVectorLevels();

#if defined(__x86_64__) && defined(__GNUC__)

template <class Body>
[[gnu::flatten]] void RunBaseline(const Body& body)
{
    body();
}

template <class Body>
[[gnu::target("arch=x86-64-v3"), gnu::flatten]] void RunAvx2(const Body& body)
{
    body();
}

template <class Body>
[[gnu::target("arch=x86-64-v4"), gnu::flatten]] void RunAvx512(const Body& body)
{
    body();
}

template <class Body>
void RunVectorised(const Body& body)
{
    switch (ActiveVectorLevel()) {
        case VectorLevel::Avx512:
            return RunAvx512(body);
        case VectorLevel::Avx2:
            return RunAvx2(body);
        case VectorLevel::Baseline:
            break;
    }
    RunBaseline(body);
}

#else

template <class Body>
void RunVectorised(const Body& body)
{
    body();
}

#endif

}  // namespace quelix
