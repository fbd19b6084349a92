// SPDX-License-Identifier: MIT
// Results of the device object's geometry, selection and transfer methods,
// and of its wait for the next ring frame. The numbers are those the device
// object has always reported; Ok is 0.
#pragma once

namespace quelix {

enum class DeviceStatus : int {
    Ok = 0,
    WindowRejected = 1,  // window or ring count rejected
    PitchRejected = 3,   // line pitch or width rejected
    LinesRejected = 4,   // line counts rejected
    NoMemory = 7,        // a buffer could not be allocated
    NotOpened = 10,      // the driver handle could not be had
    NullDestination = 14,
    ReadFailed = 19,  // a frame read failed or was short
    TransferRunning = 21,
    NumberRejected = 22,
    ThreadNotStarted = 23,  // the transfer thread could not be created
};

// What the wait for the next frame of the transfer ring found.
enum class RingWait : int {
    Stopped = 0,     // streaming has stopped
    Failed = 1,      // a read failed, or no frame came for the wait's time
    Woken = 2,       // woken, but no new frame: wait again
    FrameReady = 3,  // a frame is ready; readIndex names it
};

}  // namespace quelix
