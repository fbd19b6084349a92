// SPDX-License-Identifier: MIT
// Simulated cameras inside the process for `simulate=true`: one per device
// number, started where the library looks for cameras when no camera node
// exists there, shared by the elements that use it and gone with the last.
#pragma once

#include <memory>
#include <string>

namespace quelix::gst {

class SimulatedCameraLease;

// A claim on the simulated camera of `device`, or on nothing when a camera
// node for it exists already (a real or another simulated camera). Null
// with the reason in *error when one was needed and could not start.
std::shared_ptr<SimulatedCameraLease> LeaseSimulatedCamera(int device, std::string* error);

}  // namespace quelix::gst
