// The device-call recorder behind SetDeviceRecorder / WrapRecordingDevice.
#pragma once

#include "d3d7.h"

namespace platform::d3d {

// Wraps a newly created device in the recording decorator while a recorder
// is set (taking over the caller's reference); otherwise returns it as is.
IDirect3DDevice7* WrapIfRecording(IDirect3DDevice7* device);

}  // namespace platform::d3d
