#include "Sound.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "WaveFile.h"
#include "dsound7.h"
#include "port.h"

namespace {

CSound::Sink g_soundSink = nullptr;

const char* const kEffectNames[] = {"GunFire",       "Reload", "Konoyarou", "Kuso",
                                    "Yariyagattana", "OhNo",   "Bomb"};
const int kEffectCount = sizeof(kEffectNames) / sizeof(kEffectNames[0]);
// Buffers per effect: GunFire at eight keys a second overlaps itself.
const int kVoices = 8;

struct SEffect {
  bool loaded = false;
  IDirectSoundBuffer* voices[kVoices] = {};
  int voiceCount = 0;
};

// The service's state, made by the first request and kept for the whole run.
struct SSoundState {
  bool started = false;
  bool silent = false;
  bool missingFileReported = false;
  IDirectSound* directSound = nullptr;
  SEffect effects[kEffectCount];
};

SSoundState& State() {
  static SSoundState state;
  return state;
}

void Report(const std::string& text) {
  std::fprintf(stderr, "voskar: %s\n", text.c_str());
}

std::string Hex(HRESULT hr) {
  char text[24];
  std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// --mute on the command line, or VOSKAR_MUTE set to anything but "" or "0".
bool MuteAsked() {
  char value[8] = "";
  DWORD length = GetEnvironmentVariableA("VOSKAR_MUTE", value, sizeof(value));
  if (length > 0 && std::strcmp(value, "0") != 0) return true;
  const char* line = GetCommandLineA();
  for (const char* at = line ? std::strstr(line, "--mute") : nullptr; at;
       at = std::strstr(at + 1, "--mute")) {
    bool starts = at == line || at[-1] == ' ' || at[-1] == '\t';
    bool ends = at[6] == '\0' || at[6] == ' ' || at[6] == '\t';
    if (starts && ends) return true;
  }
  return false;
}

void Start(SSoundState& state) {
  state.started = true;
  if (MuteAsked()) {
    state.silent = true;
    return;
  }
  HRESULT hr = DirectSoundCreate(nullptr, &state.directSound, nullptr);
  // The buffers have global focus and sound whichever window is in front, so
  // the device is tied to the desktop window, which is always there.
  if (SUCCEEDED(hr)) hr = state.directSound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_NORMAL);
  if (FAILED(hr)) {
    Report("no sound: the audio device could not be opened (" +
           std::string(hr == DSERR_NODRIVER ? "no audio driver or device" : Hex(hr)) + ")");
    if (state.directSound) state.directSound->Release();
    state.directSound = nullptr;
    state.silent = true;
  }
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  FILE* file = std::fopen(Port_FilePath(path.c_str()).c_str(), "rb");
  if (!file) return false;
  uint8_t block[16384];
  size_t got;
  // A little past the longest sound accepted is enough to judge the file.
  while ((got = std::fread(block, 1, sizeof(block), file)) > 0 &&
         bytes->size() <= kWaveMaxBytes + sizeof(block))
    bytes->insert(bytes->end(), block, block + got);
  std::fclose(file);
  return true;
}

// Reads the effect's file into a buffer and its duplicates. A missing file
// is reported once for all effects, a broken one once for itself.
void Load(SSoundState& state, int index, SEffect& effect) {
  effect.loaded = true;
  const std::string path = std::string("Sound\\") + kEffectNames[index] + ".wav";
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, &file)) {
    if (!state.missingFileReported)
      Report("no sound for " + std::string(kEffectNames[index]) + ": cannot open " + path +
             " (effects without a file stay silent)");
    state.missingFileReported = true;
    return;
  }
  SWaveData wave;
  std::string problem;
  if (!ReadWaveFile(file.data(), file.size(), &wave, &problem)) {
    Report("no sound for " + std::string(kEffectNames[index]) + ": " + path + ": " + problem);
    return;
  }
  DSBUFFERDESC desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_GLOBALFOCUS;
  desc.dwBufferBytes = wave.pcmBytes;
  desc.lpwfxFormat = &wave.format;
  IDirectSoundBuffer* buffer = nullptr;
  HRESULT hr = state.directSound->CreateSoundBuffer(&desc, &buffer, nullptr);
  void* audio1 = nullptr;
  void* audio2 = nullptr;
  DWORD bytes1 = 0, bytes2 = 0;
  if (SUCCEEDED(hr))
    hr = buffer->Lock(0, 0, &audio1, &bytes1, &audio2, &bytes2, DSBLOCK_ENTIREBUFFER);
  if (SUCCEEDED(hr)) {
    std::memcpy(audio1, wave.pcm, bytes1);
    hr = buffer->Unlock(audio1, bytes1, audio2, bytes2);
  }
  if (FAILED(hr)) {
    Report("no sound for " + std::string(kEffectNames[index]) + ": the sound buffer failed (" +
           Hex(hr) + ")");
    if (buffer) buffer->Release();
    return;
  }
  effect.voices[effect.voiceCount++] = buffer;
  while (effect.voiceCount < kVoices && SUCCEEDED(state.directSound->DuplicateSoundBuffer(
                                            buffer, &effect.voices[effect.voiceCount])))
    ++effect.voiceCount;
}

}  // namespace

void CSound::Play(const std::string& name, int flags) {
  if (g_soundSink) g_soundSink(name, flags);
  SSoundState& state = State();
  if (!state.started) Start(state);
  if (state.silent) return;
  int index = 0;
  while (index < kEffectCount && name != kEffectNames[index]) ++index;
  if (index == kEffectCount) return;
  SEffect& effect = state.effects[index];
  if (!effect.loaded) Load(state, index, effect);
  // The first voice that is not playing starts from the beginning; with all
  // of them busy the request is dropped rather than cutting one short.
  for (int i = 0; i < effect.voiceCount; ++i) {
    DWORD status = 0;
    if (FAILED(effect.voices[i]->GetStatus(&status)) || (status & DSBSTATUS_PLAYING)) continue;
    effect.voices[i]->SetCurrentPosition(0);
    effect.voices[i]->Play(0, 0, 0);
    return;
  }
}

void CSound::SetSink(Sink sink) {
  g_soundSink = sink;
}
