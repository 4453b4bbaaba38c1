#include "dsound/mixer.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "testing.h"

namespace platform {
namespace sound {

namespace {

// 512 frames at 48 kHz: a request waits at most one buffer (10.7 ms) for the
// callback that starts it.
constexpr int kDeviceFrames = 512;
constexpr int kPreferredRate = 48000;

std::atomic<uint32_t> g_currentDevice{0};

// The test pacer, called by every callback. Kept on the heap and never freed,
// so that a callback running while the process exits finds it intact.
struct Pacer {
  std::mutex mutex;
  std::function<void(uint64_t, uint32_t)> function;
};

Pacer& GetPacer() {
  static Pacer* pacer = new Pacer;
  return *pacer;
}

}  // namespace

// ---------------------------------------------------------------- ring
bool RequestRing::Push(const Request& request) {
  uint32_t tail = m_tail.load(std::memory_order_relaxed);
  if (tail - m_head.load(std::memory_order_acquire) == kCapacity) return false;
  m_items[tail & (kCapacity - 1)] = request;
  m_tail.store(tail + 1, std::memory_order_release);
  return true;
}

bool RequestRing::Pop(Request* request) {
  uint32_t head = m_head.load(std::memory_order_relaxed);
  if (head == m_tail.load(std::memory_order_acquire)) return false;
  *request = m_items[head & (kCapacity - 1)];
  m_head.store(head + 1, std::memory_order_release);
  return true;
}

// ---------------------------------------------------------------- mixing
void Saturate(const float* mix, int16_t* out, int samples) {
  constexpr float kKnee = 0.75f;
  for (int i = 0; i < samples; ++i) {
    float x = mix[i];
    float magnitude = std::fabs(x);
    if (magnitude > kKnee) {
      magnitude = kKnee + (1.0f - kKnee) * std::tanh((magnitude - kKnee) / (1.0f - kKnee));
      x = x < 0 ? -magnitude : magnitude;
    }
    out[i] = static_cast<int16_t>(std::lrint(x * 32767.0f));
  }
}

// ---------------------------------------------------------------- device
std::unique_ptr<Mixer> Mixer::Open(std::string* error) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    if (error) *error = SDL_GetError();
    return nullptr;
  }
  std::unique_ptr<Mixer> mixer(new Mixer);
  SDL_AudioSpec want{}, have{};
  want.freq = kPreferredRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kDeviceFrames;
  want.callback = &Mixer::Callback;
  want.userdata = mixer.get();
  mixer->m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (mixer->m_device == 0) {
    if (error) *error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  mixer->m_rate = static_cast<uint32_t>(have.freq);
  mixer->m_mix.assign(static_cast<size_t>(have.samples ? have.samples : kDeviceFrames) * 2, 0.0f);
  g_currentDevice.store(mixer->m_device);
  SDL_PauseAudioDevice(mixer->m_device, 0);
  return mixer;
}

Mixer::~Mixer() {
  if (!m_device) return;
  uint32_t device = m_device;
  g_currentDevice.compare_exchange_strong(device, 0);
  SDL_CloseAudioDevice(m_device);  // waits for the callback to return
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void Mixer::Lock() {
  SDL_LockAudioDevice(m_device);
}

void Mixer::Unlock() {
  SDL_UnlockAudioDevice(m_device);
}

uint32_t CurrentDevice() {
  return g_currentDevice.load();
}

void Mixer::Callback(void* self, uint8_t* stream, int bytes) {
  Mixer* mixer = static_cast<Mixer*>(self);
  int frames = bytes / static_cast<int>(2 * sizeof(int16_t));
  {
    Pacer& pacer = GetPacer();
    std::lock_guard<std::mutex> hold(pacer.mutex);
    if (pacer.function) pacer.function(mixer->m_framesMixed, mixer->m_rate);
  }
  Request request;
  while (mixer->m_ring.Pop(&request)) mixer->Apply(request);
  mixer->Fill(reinterpret_cast<int16_t*>(stream), frames);
  mixer->m_framesMixed += static_cast<uint64_t>(frames);
}

void Mixer::Apply(const Request& request) {
  Voice& voice = m_voices[request.slot];
  switch (request.type) {
    case Request::Play:
      // A voice cut short by a new play still counts as done.
      if (voice.active) m_doneSeq[request.slot].store(voice.seq, std::memory_order_release);
      voice.sample = request.sample;
      voice.loop = request.loop;
      voice.seq = request.seq;
      if (request.frame >= 0) voice.cursor = static_cast<uint64_t>(request.frame) << 32;
      if (voice.sample && voice.cursor >= (static_cast<uint64_t>(voice.sample->frames) << 32))
        voice.cursor = 0;
      voice.active = true;
      break;
    case Request::SetPosition:
      voice.cursor = static_cast<uint64_t>(request.frame) << 32;
      break;
    case Request::Stop:
      if (voice.active) m_doneSeq[request.slot].store(voice.seq, std::memory_order_release);
      voice.active = false;
      break;
  }
}

void Mixer::Fill(int16_t* out, int frames) {
  const int chunk = static_cast<int>(m_mix.size() / 2);
  for (int done = 0; done < frames; done += chunk) {
    int n = std::min(chunk, frames - done);
    std::fill(m_mix.begin(), m_mix.begin() + 2 * n, 0.0f);
    MixVoices(m_voices, kMaxSlots, m_mix.data(), n, m_rate, [this](int slot, uint32_t seq) {
      m_doneSeq[slot].store(seq, std::memory_order_release);
      m_voices[slot].cursor = 0;  // a buffer that played to its end starts again from 0
    });
    Saturate(m_mix.data(), out + 2 * done, 2 * n);
  }
}

}  // namespace sound

// ---------------------------------------------------------------- seams
void SetSoundPacer(std::function<void(uint64_t framesMixed, uint32_t rate)> pacer) {
  sound::Pacer& shared = sound::GetPacer();
  std::lock_guard<std::mutex> hold(shared.mutex);
  shared.function = std::move(pacer);
}

bool LockSoundDevice() {
  uint32_t device = sound::CurrentDevice();
  if (!device) return false;
  SDL_LockAudioDevice(device);
  return true;
}

void UnlockSoundDevice() {
  uint32_t device = sound::CurrentDevice();
  if (device) SDL_UnlockAudioDevice(device);
}

}  // namespace platform
