// SPDX-License-Identifier: MIT
// Per-thread storage of the kernels: tables kept for the setting they were
// built for, and scratch rows that grow once. Each camera runs its kernels on
// one thread at a time, and threads never share these, so kernels of cameras
// with different settings never see each other's tables.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace quelix {

// The table make(key) made last on this thread at this call site (each call
// site has its own, through the type of `make`); made again only when the
// key changes. The reference holds until the next call from the same site.
template <class Key, class Make>
const auto& ThreadCachedTable(const Key& key, Make make)
{
    using Table = decltype(make(key));
    thread_local std::optional<std::pair<Key, Table>> cache;
    if (!cache || cache->first != key)
        cache.emplace(key, make(key));
    return cache->second;
}

// `count` elements of scratch memory of this thread for the call site `Tag`;
// the contents are left from the last use.
template <class T, class Tag>
std::span<T> ThreadScratch(size_t count)
{
    thread_local std::vector<T> scratch;
    if (scratch.size() < count)
        scratch.resize(count);
    return {scratch.data(), count};
}

}  // namespace quelix
