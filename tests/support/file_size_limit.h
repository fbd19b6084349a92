// SPDX-License-Identifier: MIT
// Makes writes past a byte count fail as on a full disk, for the lifetime of
// the object: RLIMIT_FSIZE with SIGXFSZ ignored, so that write() returns
// EFBIG instead of killing the process. Each test runs in a process of its
// own, so the limit touches no other test.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <cstdint>

namespace quelix::test {

class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(uint64_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t previous_ = SIG_DFL;
};

}  // namespace quelix::test
