// SPDX-License-Identifier: MIT
// Whether each device node answers its requests, as this process has seen
// it, shared by every driver handle of the device. A control request whose
// reply missed its deadline, a reply that broke the format or a connect the
// node did not take in time makes the device count as not answering: from
// then on every request on any of its handles fails at once, but for one
// probe at most every second, until a reply comes again. A camera that stops
// answering so costs a caller one deadline, however many requests it makes.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace quelix::platform {

// What the end of a request says about its device.
enum class Verdict {
    Answered,      // a whole, well-formed reply came (a refusal by the driver too)
    NotAnswering,  // no reply to a control request in time, a malformed reply, a connect not taken in time
    Undecided,     // says nothing: the node ended the connection, a frame read ran late, a refused connect
};

enum class Admission {
    Send,    // the device answers: the request goes out
    Probe,   // the device does not answer; this request goes out to find out whether it does again
    Refuse,  // the device does not answer: the request fails at once
};

class DeviceLiveness {
public:
    using Clock = std::chrono::steady_clock;
    // The shortest time between the end of one failed attempt on a device
    // that does not answer and the next probe.
    static constexpr Clock::duration kProbeInterval = std::chrono::seconds(1);

    // Whether a request on `node` may go out at `now`. Only a request that
    // may probe (a control request) is let through while the device does not
    // answer, one at a time: a frame read may rightly wait for seconds.
    Admission Admit(const std::string& node, bool mayProbe, Clock::time_point now);
    // The end of a request that Admit let through, or of a connect.
    void Report(const std::string& node, Admission admitted, Verdict verdict, Clock::time_point now);
    bool Answering(const std::string& node);

private:
    struct Silence {
        bool probing = false;
        Clock::time_point lastAttempt;  // when the last failed request or probe ended
    };

    std::mutex mutex_;
    std::unordered_map<std::string, Silence> silent_;  // the devices that do not answer
};

// The record of this process.
DeviceLiveness& Liveness();

}  // namespace quelix::platform
