// SPDX-License-Identifier: MIT
// Status codes of the device object's geometry, selection and transfer
// methods (0 = success). Its control methods return 1 for success and 0 for
// failure instead.
#pragma once

namespace quelix {

enum DeviceStatus : int {
    kDeviceOk = 0,
    kDeviceWindowRejected = 1,  // window or ring count rejected
    kDevicePitchRejected = 3,   // line pitch or width rejected
    kDeviceLinesRejected = 4,   // line counts rejected
    kDeviceNoMemory = 7,        // a buffer could not be allocated
    kDeviceNotOpened = 10,      // the driver handle could not be had
    kDeviceNullDestination = 14,
    kDeviceReadFailed = 19,  // a frame read failed or was short
    kDeviceTransferRunning = 21,
    kDeviceNumberRejected = 22,
    kDeviceThreadNotStarted = 23,  // the transfer thread could not be created
};

}  // namespace quelix
