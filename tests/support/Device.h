// A device for the game core without the application frame: the platform's
// software device on a small off-screen render target with a z-buffer, in a
// DirectDraw object of its own, handed to CApplication::InitDeviceObjects as
// the frame would after building the display.
#pragma once

#include <string>

#include "d3d7.h"

namespace support {

// Creates the objects on the first call and calls InitDeviceObjects; a later
// call deletes the core's device objects and makes them again on the same
// device (a fresh scene manager at the title). "" on success, else the step
// that failed. The objects live for the rest of the process, as the game core
// never forgets its device.
std::string GiveCoreADevice(DWORD width, DWORD height);

}  // namespace support
