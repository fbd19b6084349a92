// SPDX-License-Identifier: MIT
// The driver connection's reading of a reply from a device node, with the
// node's bytes chosen by the fuzzer: a broken or hostile peer. The first byte
// picks the request; the rest is what the node sends before it closes.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/driver/driver_exchange.h"
#include "platform/driver/driver_wire.h"

namespace wire = quelix::driver_wire;
using quelix::platform::ExchangeOnSocket;
using quelix::platform::ExchangeResult;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 65536)
        return 0;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return 0;
    const int buffer = 1 << 20;
    setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    setsockopt(ends[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    const ssize_t sent = send(ends[1], data + 1, size - 1, MSG_NOSIGNAL);
    shutdown(ends[1], SHUT_WR);

    // A read of the reply pipe, a frame read, a command write, a time-out.
    const uint8_t choice = data[0] % 4;
    const uint32_t pipe = choice == 0   ? wire::kReplyPipe
                          : choice == 1 ? wire::kImagePipe
                                        : wire::kCommandPipe;
    const uint32_t outputSize = choice == 1 ? 4096 : choice == 3 ? 0 : wire::kPacketSize;
    std::vector<uint8_t> output(outputSize, 0);
    std::vector<uint8_t> input(choice == 3 ? wire::kTimeoutBlockSize : 4, 0);
    input[0] = choice == 3 ? 1 : static_cast<uint8_t>(pipe);
    const uint32_t code = choice == 3 ? wire::kSetTimeout : wire::kPipeTransferIn;
    uint32_t moved = 0xFFFFFFFFu;
    const ExchangeResult result = ExchangeOnSocket(ends[0], code, input.data(), uint32_t(input.size()),
                                                   output.data(), outputSize, moved, 50);
    if ((result == ExchangeResult::Succeeded || result == ExchangeResult::Failed) &&
        (sent < 0 || moved > outputSize))
        std::abort();
    close(ends[0]);
    close(ends[1]);
    return 0;
}
