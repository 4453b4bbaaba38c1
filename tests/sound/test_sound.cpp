// The sound effects and their playing. Each playing scenario runs in a fresh
// process (the service opens its device once per process) with SDL's disk
// audio driver, which writes the mixed output to a file; a pacer holds the
// mixer at the game's clock, so that a position in that file is a moment of
// the game.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "Driver.h"
#include "Sound.h"
#include "Typist.h"
#include "WaveFile.h"
#include "support/Folder.h"
#include "testing.h"

namespace {

const uint64_t kRate = 48000;  // the rate the stand-in asks of the device
const char* const kEffects[] = {"GunFire",       "Reload", "Konoyarou", "Kuso",
                                "Yariyagattana", "OhNo",   "Bomb"};
std::vector<std::string> g_failures;
#define CHECK(cond, text) \
  if (!(cond)) g_failures.push_back(std::string(text))

std::vector<uint8_t> ReadBytes(const std::string& path) {
  const std::string bytes = support::ReadFile(path);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// An effect's samples as the build made them, in [-1, 1].
std::vector<double> Effect(const std::string& name) {
  static std::map<std::string, std::vector<double>> cache;
  std::vector<double>& samples = cache[name];
  if (!samples.empty()) return samples;
  std::vector<uint8_t> file = ReadBytes(std::string(VOSKAR_SOUND_DIR) + "/" + name + ".wav");
  SWaveData wave;
  if (ReadWaveFile(file.data(), file.size(), &wave, nullptr) && wave.format.wBitsPerSample == 16)
    for (DWORD i = 0; i + 1 < wave.pcmBytes; i += 2)
      samples.push_back(int16_t(wave.pcm[i] | wave.pcm[i + 1] << 8) / 32768.0);
  return samples;
}

// The left channel of the disk driver's 16-bit stereo output.
std::vector<int16_t> Output(const std::string& path) {
  std::vector<uint8_t> raw = ReadBytes(path);
  std::vector<int16_t> left(raw.size() / 4);
  for (size_t i = 0; i < left.size(); ++i) left[i] = int16_t(raw[4 * i] | raw[4 * i + 1] << 8);
  return left;
}

// The first sounding sample of an output from a position on, and of an
// effect. The disk driver may write silence before the mixer's first buffer,
// so sounds are found by their onsets.
size_t Onset(const std::vector<int16_t>& out, size_t from) {
  while (from < out.size() && out[from] == 0) ++from;
  return from;
}
size_t Onset(const std::vector<double>& x) {
  size_t k = 0;
  while (k < x.size() && std::lround(x[k] * 32767) == 0) ++k;
  return k;
}

// Holds the mixer before the device buffer that starts at or after the
// frame allowed last; Advance lets it mix up to there.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  uint64_t allowed = 0, at = 0;
  bool waiting = false;
  void Pace(uint64_t mixed) {
    std::unique_lock<std::mutex> lock(mutex);
    at = mixed;
    waiting = true;
    changed.notify_all();
    changed.wait(lock, [&] { return mixed < allowed; });
    waiting = false;
  }
  void Advance(uint64_t frames) {
    std::unique_lock<std::mutex> lock(mutex);
    allowed = std::max(allowed, frames);
    changed.notify_all();
    changed.wait(lock, [&] { return waiting && at >= allowed; });
  }
};
Gate* g_gate = new Gate;  // outlives the audio thread at exit

// A fresh working folder with the build's effects in Sound/ (or none), the
// headless backend with sound through the disk driver, optionally paced.
std::string g_output;
void UseDiskAudio(const std::string& output, bool paced) {
  g_output = output;
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", g_output.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);
  platform::SetBackend(platform::Backend::Headless);
  platform::EnableHeadlessSound(true);
  if (paced) platform::SetSoundPacer([](uint64_t mixed, uint32_t) { g_gate->Pace(mixed); });
}
void PrepareSound(bool withSounds, bool paced) {
  if (!support::EnterTemporaryFolder("voskar-sound")) std::abort();
  if (withSounds && symlink(VOSKAR_SOUND_DIR, "Sound") != 0) std::abort();
  UseDiskAudio("out.raw", paced);
}

// Runs a scenario in a fresh process; it passes when it recorded no failure.
void InFreshProcess(const std::function<void()>& scenario) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto run = [&] {
    scenario();
    for (const std::string& f : g_failures) fprintf(stdout, "FAILED: %s\n", f.c_str());
    fflush(stdout);
    exit(g_failures.empty() ? 0 : 1);
  };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "");
}

// What the process writes to stderr while fn runs.
std::string Stderr(const std::function<void()>& fn) {
  std::string path = "stderr.txt";
  fflush(stderr);
  int saved = dup(2);
  FILE* file = fopen(path.c_str(), "w");
  dup2(fileno(file), 2);
  fn();
  fflush(stderr);
  dup2(saved, 2);
  fclose(file);
  std::vector<uint8_t> text = ReadBytes(path);
  return std::string(text.begin(), text.end());
}

// ---------------------------------------------------------------- the files
TEST(GeneratedEffects, AreDeterministicBalancedAndClickFree) {
  char a[] = "/tmp/voskar-soundgen-XXXXXX", b[] = "/tmp/voskar-soundgen-XXXXXX";
  ASSERT_TRUE(mkdtemp(a) && mkdtemp(b));
  std::string gen = std::string(VOSKAR_SOUNDGEN) + " ";
  ASSERT_EQ(0, system((gen + a + " " + VOSKAR_ESPEAK_NG).c_str()));
  ASSERT_EQ(0, system((gen + b + " " + VOSKAR_ESPEAK_NG).c_str()));
  // Shortest and longest length (s) and peak (dB below full scale).
  struct Expect {
    double minS, maxS, peakDb;
  };
  std::map<std::string, Expect> expect = {
      {"GunFire", {0.05, 0.12, -12}},    {"Reload", {0.2, 0.5, -8}},    {"OhNo", {0.3, 0.8, -3}},
      {"Bomb", {0.5, 1.2, -3}},          {"Konoyarou", {0.3, 1.0, -3}}, {"Kuso", {0.15, 0.7, -3}},
      {"Yariyagattana", {0.35, 1.2, -3}}};
  for (const char* name : kEffects) {
    std::string file = std::string("/") + name + ".wav";
    std::vector<uint8_t> first = ReadBytes(a + file);
    EXPECT_EQ(first, ReadBytes(b + file)) << name << " differs between two runs";
    EXPECT_EQ(first, ReadBytes(VOSKAR_SOUND_DIR + file)) << name << " differs from the build's";
    std::vector<double> s = Effect(name);
    ASSERT_FALSE(s.empty()) << name;
    double seconds = s.size() / double(kRate), peak = 0, sum = 0;
    for (double x : s) peak = std::max(peak, std::fabs(x)), sum += x;
    EXPECT_TRUE(seconds >= expect[name].minS && seconds <= expect[name].maxS) << name << seconds;
    EXPECT_NEAR(20 * std::log10(peak), expect[name].peakDb, 0.1) << name;
    EXPECT_LT(std::fabs(sum / s.size()), 0.001) << name << " has a DC offset";
    EXPECT_LT(std::fabs(s.front()) + std::fabs(s.back()), 0.002) << name << " clicks";
  }
  for (const char* dir : {a, b}) std::filesystem::remove_all(dir);
}

// ---------------------------------------------------------------- the reader
TEST(WaveReader, RefusesBrokenFilesAndKeepsWhatATruncatedOneHolds) {
  std::vector<uint8_t> good = ReadBytes(std::string(VOSKAR_SOUND_DIR) + "/GunFire.wav");
  ASSERT_GT(good.size(), 44u);
  auto read = [](std::vector<uint8_t> bytes, SWaveData* wave = nullptr) {
    SWaveData scratch;
    std::string error;
    bool ok = ReadWaveFile(bytes.data(), bytes.size(), wave ? wave : &scratch, &error);
    EXPECT_EQ(ok, error.empty());
    return ok;
  };
  auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> bytes = good;
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
    return bytes;
  };
  SWaveData wave;
  EXPECT_TRUE(read(good, &wave));
  EXPECT_EQ(wave.pcmBytes, good.size() - 44);
  for (size_t cut : {0, 11, 20, 36, 44})  // the header cut short
    EXPECT_FALSE(read(std::vector<uint8_t>(good.begin(), good.begin() + cut))) << cut;
  EXPECT_FALSE(read(patched(16, 0xFFFFFFF0u)));  // a format chunk larger than the file
  EXPECT_FALSE(read(patched(22, 0x00000000u)));  // no channels, no rate
  EXPECT_FALSE(read(patched(32, 0x00180006u)));  // 24-bit samples
  EXPECT_FALSE(read(patched(12, 0x61746164u)));  // "data" before any format
  // Samples cut short, or a length past the end: what is there plays.
  EXPECT_TRUE(read(patched(40, 0xFFFFFFFFu), &wave));
  EXPECT_EQ(wave.pcmBytes, good.size() - 44);
  EXPECT_TRUE(read(std::vector<uint8_t>(good.begin(), good.begin() + 101), &wave));
  EXPECT_EQ(wave.pcmBytes, 56u);
}

// ---------------------------------------------------------------- playing
TEST(Playback, EightAtOnceAllSoundAndANinthIsDropped) {
  InFreshProcess([] {
    PrepareSound(true, true);
    for (int i = 0; i < 9; ++i) CSound::Play("GunFire", 0);
    g_gate->Advance(kRate / 5);
    CSound::Play("GunFire", 0);  // the voices are free again
    g_gate->Advance(kRate / 2);
    std::vector<int16_t> out = Output(g_output);
    std::vector<double> x = Effect("GunFire");
    CHECK(out.size() >= kRate / 2 - 4096, "the mixer wrote too little");
    // Below the saturation knee the mix is exactly eight times the effect.
    size_t k = Onset(x), start = Onset(out, 0);
    int compared = 0, wrong = 0;
    for (size_t j = 0; k + j < x.size() && start + j < out.size(); ++j)
      if (std::fabs(8 * x[k + j]) < 0.7)
        ++compared, wrong += std::abs(out[start + j] - 8 * x[k + j] * 32767) > 4;
    CHECK(compared > 1000 && wrong == 0, "the mix is not eight voices: " + std::to_string(wrong));
    // The lone request, after the eight ended, plays the effect as it is.
    size_t lone = Onset(out, start + x.size());
    int differ = lone + x.size() > out.size();
    for (size_t j = 0; k + j < x.size() && lone + j < out.size(); ++j)
      differ += std::abs(out[lone + j] - x[k + j] * 32767) > 2;
    CHECK(differ == 0, "a single request is not the effect: " + std::to_string(differ));
  });
}

TEST(Playback, ARequestReturnsWhileTheDeviceIsLocked) {
  InFreshProcess([] {
    PrepareSound(true, false);
    CSound::Play("Bomb", 0);
    CHECK(platform::LockSoundDevice(), "no audio device was opened");
    std::atomic<bool> returned{false};
    std::thread game([&] {
      CSound::Play("Kuso", 0);
      CSound::Play("GunFire", 0);
      returned = true;
    });
    for (int i = 0; i < 1000 && !returned; ++i) usleep(10000);
    CHECK(returned, "a request waited for the locked device");
    platform::UnlockSoundDevice();
    game.join();
  });
}

TEST(Playback, MuteMissingAndBrokenFilesAreSilentWithOneLineEach) {
  InFreshProcess([] {  // VOSKAR_MUTE: no device at all, and nothing said
    setenv("VOSKAR_MUTE", "1", 1);
    PrepareSound(true, false);
    CHECK(Stderr([] { CSound::Play("GunFire", 0); }).empty(), "mute spoke");
    CHECK(!platform::LockSoundDevice(), "a muted game opened the audio device");
  });
  InFreshProcess([] {
    setenv("VOSKAR_MUTE", "0", 1);  // "0" is not muted; --mute on the command line is
    platform::SetCommandLine("voskar --mutex");
    PrepareSound(true, false);
    CSound::Play("GunFire", 0);
    CHECK(platform::LockSoundDevice(), "VOSKAR_MUTE=0 or --mutex muted the game");
    platform::UnlockSoundDevice();
  });
  InFreshProcess([] {
    platform::SetCommandLine("voskar --mute");
    PrepareSound(true, false);
    CSound::Play("GunFire", 0);
    CHECK(!platform::LockSoundDevice(), "--mute opened the audio device");
  });
  InFreshProcess([] {  // no Sound folder: one line for all effects
    PrepareSound(false, false);
    CSound::Play("NoSuchEffect", 0);  // opens the device (the disk driver announces itself)
    std::string said = Stderr([] {
      for (int round = 0; round < 3; ++round)
        for (const char* name : kEffects) CSound::Play(name, 0);
    });
    CHECK(std::count(said.begin(), said.end(), '\n') == 1 &&
              said.find("cannot open Sound\\GunFire.wav") != std::string::npos,
          "missing files said: " + said);
  });
  InFreshProcess([] {  // a truncated header and an absurd size: one line each
    PrepareSound(false, false);
    mkdir("Sound", 0755);
    std::vector<uint8_t> good = ReadBytes(std::string(VOSKAR_SOUND_DIR) + "/Kuso.wav");
    std::ofstream("Sound/GunFire.wav", std::ios::binary).write((const char*)good.data(), 20);
    good[16] = good[17] = good[18] = good[19] = 0xFF;
    std::ofstream("Sound/Kuso.wav", std::ios::binary)
        .write((const char*)good.data(), static_cast<std::streamsize>(good.size()));
    CSound::Play("NoSuchEffect", 0);
    std::string said = Stderr([] {
      for (int round = 0; round < 3; ++round)
        for (const char* name : {"Kuso", "GunFire", "NoSuchEffect"}) CSound::Play(name, 0);
    });
    CHECK(std::count(said.begin(), said.end(), '\n') == 2 &&
              said.find("Kuso.wav: broken format") != std::string::npos &&
              said.find("GunFire.wav: broken format") != std::string::npos,
          "broken files said: " + said);
  });
}

// A stage of the difficult level played by a simulated typist who shoots
// enemies and bullets, then stops after forty kills and is hit: every shot, kill, reload and cry
// is heard within 30 ms of its request, and between sounds the output is
// exactly silent. The mixed output stays in the build folder (stage.raw).
struct Heard {
  uint64_t frame;
  std::string name;
};
std::vector<Heard> g_heard;
uint32_t g_startMs = 0;
void Listen(const std::string& name, int) {
  uint32_t now = timeGetTime();
  if (g_heard.empty()) g_startMs = now;
  uint64_t frame = uint64_t(now - g_startMs) * kRate / 1000;
  g_heard.push_back({frame, name});
  if (frame > 0) g_gate->Advance(frame);  // the mixer stands at the game's moment
}

TEST(Playback, AStageSoundsAtEveryShotAndKillAndIsSilentBetween) {
  InFreshProcess([] {
    if (!replay::PrepareProcess(VOSKAR_RUN_DIR, false)) std::abort();
    UseDiskAudio(std::string(VOSKAR_SOUND_OUTPUT_DIR) + "/stage.raw", true);
    if (symlink(VOSKAR_SOUND_DIR, "Sound") != 0) std::abort();
    CSound::SetSink(Listen);
    replay::TypistStyle style;
    style.charsPerSecond = 4.0;
    style.stopAfterKills = 40;
    replay::Typist typist(style);
    bool staged = false;
    {
      replay::Driver game(7);
      game.m_drawEvery = 30;
      CHECK(game.Start(), "the game did not start");
      // Any key on the title, the difficult level, then the typist until the
      // score screen.
      game.RunWith(12600, [&](uint64_t frame) {
        if (frame == 2 || frame == 5) replay::PressKey(game.Window(), frame == 2 ? 'x' : 'd');
        if (CSceneGame* stage = replay::CurrentStage()) {
          staged = true;
          if (int key = typist.Look(*stage, game.NowMs())) replay::PressKey(game.Window(), key);
        } else if (staged) {
          game.Close();
        }
      });
    }
    CHECK(staged && replay::Problems().empty(), "the stage did not play to its end");
    CHECK(!g_heard.empty(), "nothing was requested");
    if (g_heard.empty()) return;
    const uint64_t end = g_heard.back().frame + kRate;
    g_gate->Advance(end + kRate / 2);
    std::vector<int16_t> out = Output(g_output);
    // The first request started the mixer's first buffer.
    size_t offset = Onset(out, 0) - std::min(Onset(out, 0), Onset(Effect(g_heard[0].name)));
    out.erase(out.begin(), out.begin() + std::min(offset, out.size()));
    CHECK(out.size() >= end, "the mixer wrote too little");
    out.resize(end);
    // A sound may play from its request to one device buffer past its length.
    std::vector<char> maySound(end, 0);
    std::map<std::string, int> count;
    int late = 0;
    for (const Heard& h : g_heard) {
      ++count[h.name];
      size_t length = Effect(h.name).size();
      std::fill(maySound.begin() + h.frame,
                maySound.begin() + std::min(end, h.frame + length + 1024), 1);
      bool heard = false;
      for (uint64_t f = h.frame; f < std::min(end, h.frame + 30 * kRate / 1000); ++f)
        heard = heard || out[f] != 0;
      late += !heard;
    }
    int stray = 0;
    for (uint64_t f = 0; f < end; ++f) stray += !maySound[f] && out[f] != 0;
    CHECK(late == 0, std::to_string(late) + " requests not heard within 30 ms");
    CHECK(stray == 0, std::to_string(stray) + " samples sound while nothing plays");
    CHECK(
        count["GunFire"] > 50 && count["OhNo"] >= 10 && count["Reload"] > 5 && count["Bomb"] > 0 &&
            count["Konoyarou"] + count["Kuso"] + count["Yariyagattana"] > 2,
        "the stage asked for too few effects: " + [&] {
          std::string text;
          for (const auto& c : count) text += c.first + " " + std::to_string(c.second) + " ";
          return text;
        }());
    replay::ReleaseTextures();
  });
}

}  // namespace
