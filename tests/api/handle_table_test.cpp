// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "QuelixSdk_205KWMX.h"
#include "api/handle_table.h"

namespace quelix {
namespace {

using Ring = CTRing<CSDKDATA>;

std::vector<int32_t> HandlesFromHead(const Ring& ring)
{
    std::vector<int32_t> handles;
    const Ring::RingNode* node = ring.head;
    for (int32_t i = 0; i < ring.count; ++i, node = node->next)
        handles.push_back(node->record.handle);
    return handles;
}

void ExpectLinksConsistent(const Ring& ring)
{
    const Ring::RingNode* node = ring.head;
    for (int32_t i = 0; i < ring.count; ++i, node = node->next) {
        EXPECT_EQ(node->next->previous, node);
        EXPECT_EQ(node->previous->next, node);
    }
    EXPECT_EQ(node, ring.head) << "following next count times returns to head";
}

TEST(HandleRing, InsertPlacesTheNewRecordBeforeTheOldHead)
{
    Ring ring;
    ring.Insert({1, nullptr});
    EXPECT_EQ(ring.head->next, ring.head);
    EXPECT_EQ(ring.head->previous, ring.head);
    ring.Insert({2, nullptr});
    ring.Insert({3, nullptr});
    EXPECT_EQ(ring.count, 3);
    EXPECT_EQ(HandlesFromHead(ring), (std::vector<int32_t>{3, 2, 1}));
    ExpectLinksConsistent(ring);
}

TEST(HandleRing, FindRotatesHeadOntoTheRecordAndKeepsTheOrder)
{
    Ring ring;
    for (int32_t handle : {1, 2, 3})
        ring.Insert({handle, nullptr});
    ASSERT_TRUE(ring.Find(1));
    EXPECT_EQ(HandlesFromHead(ring), (std::vector<int32_t>{1, 3, 2}));
    ASSERT_TRUE(ring.Find(1)) << "a record at the head is found at once";
    EXPECT_EQ(ring.head->record.handle, 1);
}

TEST(HandleRing, FailedFindRestsOnTheRecordBeforeTheHeadAndLaterLookupsWork)
{
    Ring ring;
    for (int32_t handle : {1, 2, 3})
        ring.Insert({handle, nullptr});  // order from head: 3, 2, 1
    EXPECT_FALSE(ring.Find(99));
    EXPECT_EQ(ring.head->record.handle, 1) << "the node that preceded the head";
    EXPECT_EQ(HandlesFromHead(ring), (std::vector<int32_t>{1, 3, 2}));
    for (int32_t handle : {1, 2, 3})
        EXPECT_TRUE(ring.Find(handle));
    Ring empty;
    EXPECT_FALSE(empty.Find(1));
}

TEST(HandleRing, UnlinkRemovesExactlyThatNode)
{
    Ring ring;
    for (int32_t handle : {1, 2, 3, 4})
        ring.Insert({handle, nullptr});              // 4, 3, 2, 1
    Ring::RingNode* middle = ring.head->next->next;  // handle 2
    ring.Unlink(middle);
    delete middle;
    EXPECT_EQ(HandlesFromHead(ring), (std::vector<int32_t>{4, 3, 1}));
    ExpectLinksConsistent(ring);

    EXPECT_TRUE(ring.RemoveHead());
    EXPECT_EQ(HandlesFromHead(ring), (std::vector<int32_t>{3, 1}));
    ring.RemoveAll();
    EXPECT_EQ(ring.count, 0);
    EXPECT_EQ(ring.head, nullptr);
    EXPECT_FALSE(ring.RemoveHead());
}

TEST(HandleTable, HandlesAreNonZeroDistinctAndDieWithRelease)
{
    const int32_t before = Chain().Count();
    std::set<int32_t> handles;
    for (int i = 0; i < 12; ++i) {
        const int32_t handle = Quelix_Initialize(nullptr);
        ASSERT_NE(handle, 0);
        EXPECT_TRUE(handles.insert(handle).second) << "handle " << handle << " given twice";
    }
    EXPECT_EQ(Chain().Count(), before + 12);
    const int32_t first = *handles.begin();
    EXPECT_EQ(Quelix_Release(first), 1);
    EXPECT_EQ(Chain().Count(), before + 11);
    EXPECT_EQ(Quelix_Release(first), 0);
    EXPECT_EQ(Quelix_GetLastError(first), 0);
    for (int32_t handle : handles)
        Quelix_Release(handle);
    EXPECT_EQ(Chain().Count(), before);
}

TEST(HandleTable, UnknownHandlesGetFailureValuesWithoutEffect)
{
    EXPECT_EQ(Quelix_Release(12345), 0);
    EXPECT_EQ(Quelix_GetLastError(12345), 0);
    EXPECT_EQ(Quelix_SetCrossbar(12345), 0);
    EXPECT_EQ(Quelix_GetExposureTimeEx(12345), 0.0);
    int32_t out = 7;
    EXPECT_EQ(Quelix_GetSamplingRate(12345, &out), 0);
    EXPECT_EQ(out, 7) << "nothing is written for an unknown handle";
    EXPECT_EQ(Quelix_GetStatus(12345), 0);
}

TEST(HandleTable, VersionNeedsNoCamera)
{
    EXPECT_EQ(Quelix_GetDllVersion(), 8258836);
}

}  // namespace
}  // namespace quelix
