// SPDX-License-Identifier: MIT
// The table of live cameras: a circular doubly linked ring of handle records
// whose head rests on the record looked up last. Every exported function
// finds its camera here by handle.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "camera/camera_object.h"

namespace quelix {

struct CSDKDATA {
    int32_t handle = 0;
    CQuelix* cameraObject = nullptr;
};

// The ring itself. Callers hold `lock` around every operation.
template <class Record>
class CTRing {
public:
    struct RingNode {
        Record record;
        RingNode* previous = nullptr;
        RingNode* next = nullptr;
        int callsInFlight = 0;  // exported calls running on this record's camera
    };

    CTRing() = default;
    ~CTRing() { RemoveAll(); }
    CTRing(const CTRing&) = delete;
    CTRing& operator=(const CTRing&) = delete;

    // Links a copy of the record in as the new head, just before the old head.
    virtual void Insert(const Record& record)
    {
        auto* node = new RingNode{record};
        if (head == nullptr) {
            node->previous = node->next = node;
            count = 1;
        } else {
            ++count;
            node->previous = head->previous;
            node->next = head;
            head->previous->next = node;
            head->previous = node;
        }
        head = node;
    }

    // Rotates head forward until it rests on the handle. On failure every
    // node was visited once and head rests on the node that preceded it.
    bool Find(int32_t handle)
    {
        if (head == nullptr)
            return false;
        const int32_t stop = head->previous->record.handle;
        if (head->record.handle == handle)
            return true;
        for (;;) {
            if (head->record.handle == stop)
                return false;
            head = head->next;
            if (head->record.handle == handle)
                return true;
        }
    }

    // true when a record has this handle; head does not move.
    bool Contains(int32_t handle) const
    {
        const RingNode* node = head;
        for (int32_t i = 0; i < count; ++i, node = node->next) {
            if (node->record.handle == handle)
                return true;
        }
        return false;
    }

    // Unlinks the node; when it was the head, its next becomes the head.
    // The caller owns the node afterwards.
    void Unlink(RingNode* node)
    {
        if (node->next == node) {
            head = nullptr;
            count = 0;
            return;
        }
        --count;
        node->previous->next = node->next;
        node->next->previous = node->previous;
        if (head == node)
            head = node->next;
    }

    bool RemoveHead()
    {
        if (head == nullptr)
            return false;
        RingNode* old = head;
        Unlink(old);
        delete old;
        return true;
    }

    void RemoveAll()
    {
        while (RemoveHead()) {
        }
    }

    RingNode* head = nullptr;
    int32_t count = 0;
    std::mutex lock;  // the table lock
};

class CSdkChain : public CTRing<CSDKDATA> {
public:
    using Node = RingNode;

    // Makes a handle that is neither 0 nor live, constructs a camera object
    // and files it; 0 when the object cannot be made.
    int32_t CreateCamera();

    // Finds the handle's record and counts a call in flight on it; null when
    // the handle is unknown or its camera is being released. Each successful
    // BeginCall needs one EndCall.
    Node* BeginCall(int32_t handle);
    void EndCall(Node* node);

    // Unlinks the handle's record so that no new call finds it, waits for the
    // calls in flight on other threads, then destroys the camera and frees
    // the record. false when the handle is unknown, or when the calling
    // thread is itself inside a call on that camera.
    bool ReleaseCamera(int32_t handle);

    int32_t Count();

private:
    std::condition_variable callEnded_;
};

// The library's one table.
CSdkChain& Chain();

}  // namespace quelix
