#include "Sound.h"

namespace {

CSound::Sink g_soundSink = nullptr;

}  // namespace

void CSound::Play(const std::string& name, int flags) {
  if (g_soundSink) g_soundSink(name, flags);
}

void CSound::SetSink(Sink sink) {
  g_soundSink = sink;
}
