// The sound service: game play requests its sound effects here by name
// ("GunFire", "Reload", "Konoyarou", "Kuso", "Yariyagattana", "OhNo", "Bomb").
// The game carries no sound data; the service is silent. A request never
// blocks and never fails.
#pragma once

#include <string>

class CSound {
 public:
  // Requests the named effect; every caller passes the flags 0.
  static void Play(const std::string& name, int flags);

  // Where requests go besides nowhere. The game installs nothing, so it stays
  // silent; tests install a sink to see which effects were requested.
  typedef void (*Sink)(const std::string& name, int flags);
  static void SetSink(Sink sink);
};
