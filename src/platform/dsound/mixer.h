// The mixer behind the DirectSound stand-in. The game thread never takes a
// lock: it posts play requests into a single-producer, single-consumer ring
// and reads each buffer's status from atomics; the audio device's callback
// takes the requests at the start of every device buffer, mixes the playing
// voices with their own resampling and saturates the sum.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace sound {

// A buffer's data as the callback reads it: float samples, one or two
// channels interleaved, at the buffer's own rate. Never changed once made.
struct Sample {
  std::vector<float> data;
  int channels = 1;
  uint32_t rate = 44100;
  size_t frames = 0;
};

// Every buffer and duplicate is a slot: its own cursor and status.
constexpr int kMaxSlots = 128;

struct Request {
  enum Type : uint8_t { Play, SetPosition, Stop };
  Type type = Play;
  bool loop = false;
  uint16_t slot = 0;
  uint32_t seq = 0;
  int64_t frame = -1;  // start frame; -1: where the slot's cursor is
  const Sample* sample = nullptr;
};

// Fixed-capacity ring for one producer thread and one consumer thread.
class RequestRing {
 public:
  static constexpr uint32_t kCapacity = 256;  // a power of two
  bool Push(const Request& request);
  bool Pop(Request* request);

 private:
  Request m_items[kCapacity];
  std::atomic<uint32_t> m_head{0};  // next to read, written by the consumer
  std::atomic<uint32_t> m_tail{0};  // next to write, written by the producer
};

// A slot's voice as the callback sees it. The cursor is a 32.32 fixed-point
// frame index into the sample.
struct Voice {
  const Sample* sample = nullptr;
  uint64_t cursor = 0;
  bool active = false;
  bool loop = false;
  uint32_t seq = 0;
};

// Mixes the active voices into out (frames stereo float pairs, added to what
// is there) at deviceRate. A voice that plays to its end is made inactive
// and reported through ended(slot, seq).
template <typename Ended>
void MixVoices(Voice* voices, int count, float* out, int frames, uint32_t deviceRate,
               Ended&& ended);
// Converts the float mix to 16-bit stereo. Levels up to 0.75 pass unchanged;
// above, a soft knee bends the sum towards full scale instead of clipping it.
void Saturate(const float* mix, int16_t* out, int samples);

// One open audio device with its slots.
class Mixer {
 public:
  // Opens SDL's default output device (512 frames, 48 kHz or the device's
  // own rate, 16-bit stereo) and starts it; null with the reason in error.
  static std::unique_ptr<Mixer> Open(std::string* error);
  ~Mixer();

  uint32_t Rate() const { return m_rate; }
  // Game thread.
  bool Post(const Request& request) { return m_ring.Push(request); }
  std::atomic<uint32_t>& PlaySeq(int slot) { return m_playSeq[slot]; }
  const std::atomic<uint32_t>& DoneSeq(int slot) const { return m_doneSeq[slot]; }
  void Lock();
  void Unlock();

 private:
  Mixer() = default;
  static void Callback(void* self, uint8_t* stream, int bytes);
  void Fill(int16_t* out, int frames);
  void Apply(const Request& request);

  uint32_t m_device = 0;
  uint32_t m_rate = 48000;
  RequestRing m_ring;
  std::atomic<uint32_t> m_playSeq[kMaxSlots] = {};
  std::atomic<uint32_t> m_doneSeq[kMaxSlots] = {};
  // Callback thread only.
  Voice m_voices[kMaxSlots];
  std::vector<float> m_mix;
  uint64_t m_framesMixed = 0;
};

// The device a test may lock (the last one opened), or 0.
uint32_t CurrentDevice();

// ---------------------------------------------------------------- template
template <typename Ended>
void MixVoices(Voice* voices, int count, float* out, int frames, uint32_t deviceRate,
               Ended&& ended) {
  for (int v = 0; v < count; ++v) {
    Voice& voice = voices[v];
    if (!voice.active) continue;
    const Sample& s = *voice.sample;
    if (s.frames == 0) {
      voice.active = false;
      ended(v, voice.seq);
      continue;
    }
    const uint64_t step = (static_cast<uint64_t>(s.rate) << 32) / deviceRate;
    const uint64_t end = static_cast<uint64_t>(s.frames) << 32;
    const float* data = s.data.data();
    const bool stereo = s.channels == 2;
    for (int i = 0; i < frames; ++i) {
      if (voice.cursor >= end) {
        if (!voice.loop) {
          voice.active = false;
          ended(v, voice.seq);
          break;
        }
        voice.cursor -= end;
      }
      size_t index = static_cast<size_t>(voice.cursor >> 32);
      float t = static_cast<float>(voice.cursor & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
      // The frame after the last is silence, or the first again when looping.
      size_t next = index + 1 < s.frames ? index + 1 : (voice.loop ? 0 : s.frames);
      float left, right;
      if (stereo) {
        float l1 = next < s.frames ? data[2 * next] : 0.0f;
        float r1 = next < s.frames ? data[2 * next + 1] : 0.0f;
        left = data[2 * index] + (l1 - data[2 * index]) * t;
        right = data[2 * index + 1] + (r1 - data[2 * index + 1]) * t;
      } else {
        float m1 = next < s.frames ? data[next] : 0.0f;
        left = right = data[index] + (m1 - data[index]) * t;
      }
      out[2 * i] += left;
      out[2 * i + 1] += right;
      voice.cursor += step;
    }
  }
}

}  // namespace sound
}  // namespace platform
