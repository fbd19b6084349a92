// SPDX-License-Identifier: MIT
// The device class of the Quelix 205KWMX: the generic device object with the
// model's driver base name and its way of selecting the sample width.
#pragma once

#include "device/qlx_sdk_lib.h"

namespace quelix {

class CQuelix205KWMXSdk : public CQLXSdkLib {
public:
    // Probes device numbers 0 to 7 and initialises device 0, or with
    // `initialise` false only attaches to it (see AttachDevice); a missing
    // camera does not stop construction (its controls then report failure).
    explicit CQuelix205KWMXSdk(bool initialise = true);

    // The camera always sends 16-bit words to the driver; the logic device's
    // sample-width register selects what they carry.
    void SetWordMode(int on) override;
};

}  // namespace quelix
