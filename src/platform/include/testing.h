// Test seams of the platform stand-in: a manual clock, an injectable machine
// description, message injection, a device-call recorder and capture of the
// presented picture. Linux only; the game never includes this header.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "d3d7.h"

namespace platform {

// ------------------------------------------------------------------ backend
enum class Backend { Headless, Sdl };
// Chooses the backend before the first window is created. The default is
// taken from VOSKAR_BACKEND ("headless" or "sdl"), else SDL.
// With the headless backend GetMessageA never waits: on an empty queue it
// answers WM_QUIT (0), since nothing could ever arrive.
void SetBackend(Backend backend);
Backend CurrentBackend();

// ------------------------------------------------------------------ clock
// With the manual clock on, timeGetTime and the performance counter only move
// when the test advances them. The performance counter runs at 1 MHz then.
void UseManualClock(bool manual);
void AdvanceClock(uint32_t milliseconds);
void SetClock(uint32_t milliseconds);

// ------------------------------------------------------------------ machine
struct MachineDevice {
  std::string description;
  std::string name;
  D3DDEVICEDESC7 desc;  // deviceGUID identifies the device
};

struct MachineDriver {
  bool primary = true;  // the primary driver enumerates with a null GUID
  GUID guid{};
  std::string description;
  std::string name;
  DDCAPS caps{};
  std::vector<DDSURFACEDESC2> modes;
  std::vector<MachineDevice> devices;   // added to the software device
  bool offerSoftwareDevice = true;      // our RGB-emulation device
  std::vector<DDPIXELFORMAT> zFormats;  // empty: 16, 24-in-32, 32
  DDSURFACEDESC2 desktopMode{};         // dwWidth 0: 640 x 480 x 32 window desktop
};

struct MachineDescription {
  std::vector<MachineDriver> drivers;
};

// The machine the next enumeration and DirectDraw creation see.
// ResetMachine() returns to the default: one primary driver with the
// software device, the desktop in X8R8G8B8, modes 640 x 480 x 16/32 and the
// desktop size in 32 bits.
void SetMachine(const MachineDescription& machine);
void ResetMachine();
const MachineDescription& CurrentMachine();
// The default description, to be edited by tests.
MachineDescription DefaultMachine();

// Marks every surface of every live DirectDraw object lost, as when the
// display is taken away (another program goes full-screen, a mode change):
// IsLost answers DDERR_SURFACELOST until Restore or RestoreAllSurfaces.
void LoseAllSurfaces();

// Describes the software device (RGB emulation) as EnumDevices reports it.
D3DDEVICEDESC7 SoftwareDeviceDesc();

// ------------------------------------------------------------------ messages
// Posts a message to the window's queue as if the window system sent it.
void InjectMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Feeds a key press through the same mapping as real keyboard events:
// WM_KEYDOWN with the virtual-key code (and WM_CHAR 27, 8, 9, 13 for Escape,
// Backspace, Tab and Enter). repeat marks an auto-repeat.
void InjectKeyDown(HWND window, UINT virtualKey, bool repeat = false);
// Feeds UTF-8 text through the same mapping as SDL text input: one WM_CHAR
// per character up to U+00FF, others dropped.
void InjectText(HWND window, const char* utf8);
// The main window created by CreateWindowExA, or null.
HWND MainWindow();

// ------------------------------------------------------------------ recorder
// While set, every device created by IDirect3D7::CreateDevice is wrapped in
// a recording decorator that reports each call as one line of text, such as
// "SetRenderState(7, 1) = 0".
using DeviceCallSink = std::function<void(const std::string& line)>;
void SetDeviceRecorder(DeviceCallSink sink);
// Wraps one device in a recording decorator (adds its own reference to it).
IDirect3DDevice7* WrapRecordingDevice(IDirect3DDevice7* device, DeviceCallSink sink);

// ------------------------------------------------------------------ capture
// The last presented picture as 640 x 480 (the logical client size)
// 0xAARRGGBB pixels; empty before the first present.
std::vector<uint32_t> PresentedPixels(int* width = nullptr, int* height = nullptr);
// Writes the last presented picture to a PNG file; false on failure.
bool CapturePresented(const std::string& pngPath);
// Writes any surface's pixels to a PNG file; false on failure.
bool SaveSurfacePng(IDirectDrawSurface7* surface, const std::string& pngPath);
// Number of pictures presented since start.
uint64_t PresentCount();
// Presenting waits for the vertical blank or paces to 60 frames per second;
// off, it returns at once (benchmarks of presenting itself).
void SetFramePacing(bool on);

// ------------------------------------------------------------------ message boxes
// Every MessageBoxA call since the last call (the boxes are also shown, or
// written to stderr without a display).
struct MessageBoxCall {
  std::string caption;
  std::string text;
  UINT type = 0;
};
std::vector<MessageBoxCall> TakeMessageBoxes();

// ------------------------------------------------------------------ debug text
// Everything sent to OutputDebugStringA since the last call (the text is
// also echoed to stderr when VOSKAR_DEBUG_ECHO is set).
std::string TakeDebugOutput();

// ------------------------------------------------------------------ sound
// With the headless backend DirectSoundCreate answers DSERR_NODRIVER, as on a
// machine without sound, unless a test turns this on: then it opens SDL's
// audio device (choose the driver with SDL_AUDIODRIVER, for example "disk").
void EnableHeadlessSound(bool enable);
// Called by the mixer at the start of every device buffer, before it takes
// the waiting requests, with the frames mixed so far and the device's rate.
// A test may block in it to hold the mixer at a moment of its choosing; it
// runs on the audio thread with the device locked. Replacing or clearing the
// pacer waits for a running call to return.
void SetSoundPacer(std::function<void(uint64_t framesMixed, uint32_t rate)> pacer);
// Holds and releases the lock of the last audio device DirectSound opened, as
// SDL_LockAudioDevice does; false when no device is open.
bool LockSoundDevice();
void UnlockSoundDevice();

// ------------------------------------------------------------------ command line
// The command line GetCommandLineA answers: the program name and its
// arguments, as the program entry records them.
void SetCommandLine(const std::string& commandLine);

}  // namespace platform
