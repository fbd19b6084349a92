// SPDX-License-Identifier: MIT
// The shape of every exported function that takes a camera handle: find the
// camera, run the operation on the caller's thread, return its result. An
// unknown handle gives the export's failure value with no other effect, and
// nothing is thrown across the C interface: any exception (an allocation
// failure, say) becomes the failure value too.
#pragma once

#include <cstdint>

#include "api/handle_table.h"

namespace quelix {

template <class Result, class Operation>
Result CallCamera(int32_t handle, Result failure, Operation&& operation) noexcept
{
    try {
        CSdkChain& chain = Chain();
        CSdkChain::Node* node = chain.BeginCall(handle);
        if (node == nullptr)
            return failure;
        struct EndGuard {
            CSdkChain& chain;
            CSdkChain::Node* node;
            ~EndGuard() { chain.EndCall(node); }
        } end{chain, node};
        return operation(*node->record.cameraObject);
    } catch (...) {
        return failure;
    }
}

}  // namespace quelix
