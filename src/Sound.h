// The sound service: game play requests its sound effects here by name
// ("GunFire", "Reload", "Konoyarou", "Kuso", "Yariyagattana", "OhNo", "Bomb").
// The first request opens the audio device through DirectSound; each effect
// is read from "Sound\<name>.wav" beside the program the first time it is
// asked for and kept in eight buffers, so that it can overlap itself.
// A request never waits for the sound and never fails visibly: without an
// audio device or a file the game stays silent, and one line on stderr says
// why; --mute on the command line or VOSKAR_MUTE (anything but "" or "0")
// keeps it silent on purpose. Other names do nothing.
#pragma once

#include <string>

class CSound {
 public:
  // Requests the named effect; every caller passes the flags 0.
  static void Play(const std::string& name, int flags);

  // Where requests go besides the speakers; tests install a sink to see
  // which effects were requested.
  typedef void (*Sink)(const std::string& name, int flags);
  static void SetSink(Sink sink);
};
