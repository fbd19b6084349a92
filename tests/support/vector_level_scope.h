// SPDX-License-Identifier: MIT
// Runs a test body once in each build of the kernels this processor can run
// (baseline, AVX2, AVX-512), so that every build is held to the same
// results; the limit is lifted again afterwards, even when an assertion
// leaves the body early.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "image/instruction_sets.h"

namespace quelix::test {

inline const char* VectorLevelName(VectorLevel level)
{
    switch (level) {
        case VectorLevel::Avx512:
            return "AVX-512";
        case VectorLevel::Avx2:
            return "AVX2";
        case VectorLevel::Baseline:
            break;
    }
    return "baseline";
}

template <class Body>
void AtEveryVectorLevel(Body body)
{
    struct Lift {
        ~Lift() { LimitVectorLevel(VectorLevel::Avx512); }
    } lift;
    for (VectorLevel level : SupportedVectorLevels()) {
        SCOPED_TRACE(std::string("kernels built for ") + VectorLevelName(level));
        LimitVectorLevel(level);
        ASSERT_EQ(ActiveVectorLevel(), level);
        body();
        if (testing::Test::HasFatalFailure())
            return;
    }
}

}  // namespace quelix::test
