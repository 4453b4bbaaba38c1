// The sound service's cost on the game thread (one play request) and the
// mixer's cost on the audio thread (one 512-frame device buffer at eight
// voices). The device is SDL's disk driver writing to /dev/null in real time.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Sound.h"
#include "dsound/mixer.h"
#include "testing.h"

namespace {

// Plays from the run folder's Sound/ through the disk driver.
void OpenSound() {
  static bool opened = false;
  if (opened) return;
  opened = true;
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  platform::SetBackend(platform::Backend::Headless);
  platform::EnableHeadlessSound(true);
  if (chdir(VOSKAR_RUN_DIR) != 0) std::abort();
  CSound::Play("GunFire", 0);  // opens the device and loads the effect
}

// A request that starts a voice, at about the pace of a fast typist (a shot
// every 15 ms, so a free voice is always there); the pauses are not timed.
void BM_SoundRequest(benchmark::State& state) {
  OpenSound();
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    CSound::Play("GunFire", 0);
    auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
}
BENCHMARK(BM_SoundRequest)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

// Requests faster than the voices end: after eight, each one finds every
// voice busy and is dropped.
void BM_SoundRequestAllVoicesBusy(benchmark::State& state) {
  OpenSound();
  for (auto _ : state) CSound::Play("GunFire", 0);
}
BENCHMARK(BM_SoundRequestAllVoicesBusy);

// One device buffer of 512 frames at 48 kHz with eight voices playing; the
// counter audio_per_cpu is seconds of audio mixed per second of CPU (100
// means 1 % of one core).
void BM_MixerCallback8Voices(benchmark::State& state) {
  using namespace platform::sound;
  Sample sample;
  sample.rate = 48000;
  sample.frames = 48000;
  uint32_t noise = 1;
  for (size_t i = 0; i < sample.frames; ++i) {
    noise = noise * 1664525u + 1013904223u;
    sample.data.push_back((static_cast<int32_t>(noise) >> 8) / 8388608.0f * 0.2f);
  }
  std::vector<Voice> voices(kMaxSlots);
  for (int v = 0; v < 8; ++v) {
    voices[v * 7].sample = &sample;
    voices[v * 7].active = voices[v * 7].loop = true;
    voices[v * 7].cursor = static_cast<uint64_t>(v * 997) << 32;
  }
  std::vector<float> mix(2 * 512);
  std::vector<int16_t> out(2 * 512);
  for (auto _ : state) {
    std::fill(mix.begin(), mix.end(), 0.0f);
    MixVoices(voices.data(), kMaxSlots, mix.data(), 512, 48000, [](int, uint32_t) {});
    Saturate(mix.data(), out.data(), 2 * 512);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["audio_per_cpu"] =
      benchmark::Counter(512.0 / 48000.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MixerCallback8Voices)->Unit(benchmark::kMicrosecond);

}  // namespace
