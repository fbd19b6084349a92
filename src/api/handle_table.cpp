// SPDX-License-Identifier: MIT
#include "api/handle_table.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/os/clock.h"
#include "platform/os/runtime_random.h"

namespace quelix {

namespace {

// The records whose calls are running on this thread, innermost last.
thread_local std::vector<const CSdkChain::Node*> callsOnThisThread;

}  // namespace

CSdkChain& Chain()
{
    static CSdkChain chain;
    return chain;
}

int32_t CSdkChain::CreateCamera()
{
    std::lock_guard guard(lock);
    int32_t handle = 0;
    do {
        const uint32_t value = platform::TickCount() + static_cast<uint32_t>(platform::RuntimeRandom()) +
                               static_cast<uint32_t>(count);
        handle = static_cast<int32_t>(value);
    } while (handle == 0 || Contains(handle));

    auto* camera = new (std::nothrow) CQuelix;
    if (camera == nullptr)
        return 0;
    try {
        Insert({handle, camera});
    } catch (const std::bad_alloc&) {
        delete camera;
        return 0;
    }
    return handle;
}

CSdkChain::Node* CSdkChain::BeginCall(int32_t handle)
{
    std::lock_guard guard(lock);
    if (!Find(handle) || head->record.cameraObject == nullptr)
        return nullptr;
    callsOnThisThread.push_back(head);
    ++head->callsInFlight;
    return head;
}

void CSdkChain::EndCall(Node* node)
{
    {
        std::lock_guard guard(lock);
        --node->callsInFlight;
        callsOnThisThread.pop_back();
    }
    callEnded_.notify_all();
}

bool CSdkChain::ReleaseCamera(int32_t handle)
{
    Node* node = nullptr;
    {
        std::unique_lock guard(lock);
        if (!Find(handle) || head->record.cameraObject == nullptr)
            return false;
        node = head;
        if (std::find(callsOnThisThread.begin(), callsOnThisThread.end(), node) != callsOnThisThread.end())
            return false;
        Unlink(node);
        callEnded_.wait(guard, [node] { return node->callsInFlight == 0; });
    }
    delete node->record.cameraObject;
    node->record.cameraObject = nullptr;
    delete node;
    return true;
}

int32_t CSdkChain::Count()
{
    std::lock_guard guard(lock);
    return count;
}

}  // namespace quelix
