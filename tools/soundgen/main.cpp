// soundgen writes the game's seven sound effects as 48 kHz 16-bit mono PCM
// wave files: the shot, the reload, the kill and the bullet's explosion are
// synthesised here (oscillators, filtered noise, envelopes, a fixed pseudo-
// random sequence); the player's three cries are spoken by espeak-ng and
// shaped here. The same program and espeak-ng give the same bytes each time.
//
//   soundgen <output folder> <espeak-ng program>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kRate = 48000;
const double kPi = 3.14159265358979323846;

using Signal = std::vector<double>;

// xorshift32: the same noise on every machine.
class Noise {
 public:
  explicit Noise(uint32_t seed) : m_state(seed ? seed : 1) {}
  double Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state / 2147483648.0 - 1.0;
  }

 private:
  uint32_t m_state;
};

// Second-order filter section (the common cookbook forms).
class Biquad {
 public:
  static Biquad BandPass(double frequency, double q) {
    double w = 2 * kPi * frequency / kRate, alpha = std::sin(w) / (2 * q);
    return Biquad(alpha, 0, -alpha, 1 + alpha, -2 * std::cos(w), 1 - alpha);
  }
  static Biquad LowPass(double frequency, double q) {
    double w = 2 * kPi * frequency / kRate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
    return Biquad((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
  }
  static Biquad HighPass(double frequency, double q) {
    double w = 2 * kPi * frequency / kRate, alpha = std::sin(w) / (2 * q), c = std::cos(w);
    return Biquad((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
  }
  // Takes another section's response and keeps this one's memory, so that a
  // filter can glide without a click.
  void Retune(const Biquad& other) {
    m_b0 = other.m_b0;
    m_b1 = other.m_b1;
    m_b2 = other.m_b2;
    m_a1 = other.m_a1;
    m_a2 = other.m_a2;
  }
  double Step(double x) {
    double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
    m_x2 = m_x1;
    m_x1 = x;
    m_y2 = m_y1;
    m_y1 = y;
    return y;
  }

 private:
  Biquad(double b0, double b1, double b2, double a0, double a1, double a2)
      : m_b0(b0 / a0), m_b1(b1 / a0), m_b2(b2 / a0), m_a1(a1 / a0), m_a2(a2 / a0) {}
  double m_b0, m_b1, m_b2, m_a1, m_a2;
  double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

int Samples(double seconds) {
  return static_cast<int>(seconds * kRate + 0.5);
}

// A short linear rise, then an exponential fall with time constant tau.
double Strike(double t, double attack, double tau) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / tau);
}

// Adds src into dst from the given time on.
void Mix(Signal* dst, const Signal& src, double at, double gain) {
  size_t start = static_cast<size_t>(Samples(at));
  if (dst->size() < start + src.size()) dst->resize(start + src.size(), 0.0);
  for (size_t i = 0; i < src.size(); ++i) (*dst)[start + i] += gain * src[i];
}

// Fades the last few milliseconds of a part out, so that a part cut off
// before its envelope has died away does not end in a click.
Signal FadeTail(Signal s) {
  int n = static_cast<int>(s.size()), fade = std::min(n, Samples(0.006));
  for (int i = 0; i < fade; ++i) s[n - 1 - i] *= 0.5 - 0.5 * std::cos(kPi * i / fade);
  return s;
}

// A burst of noise through a band: the body of every click and crack.
Signal NoiseBurst(uint32_t seed, double seconds, double centre, double q, double attack,
                  double tau) {
  Noise noise(seed);
  Biquad band = Biquad::BandPass(centre, q);
  Signal out(Samples(seconds));
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = band.Step(noise.Next()) * Strike(i / double(kRate), attack, tau);
  return FadeTail(out);
}

// A sine whose pitch glides exponentially from f0 to f1 over the sound.
Signal Glide(double seconds, double f0, double f1, double attack, double tau) {
  Signal out(Samples(seconds));
  double phase = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    double t = i / double(kRate);
    double f = f0 * std::pow(f1 / f0, t / seconds);
    phase += 2 * kPi * f / kRate;
    out[i] = std::sin(phase) * Strike(t, attack, tau);
  }
  return FadeTail(out);
}

// Removes the DC offset, fades both ends to silence (no click) and scales
// the peak to the given level in dB below full scale.
void Finish(Signal* s, double peakDb, double fadeIn, double fadeOut) {
  double mean = 0;
  for (double x : *s) mean += x;
  mean /= s->empty() ? 1 : s->size();
  for (double& x : *s) x -= mean;
  int in = Samples(fadeIn), out = Samples(fadeOut);
  int n = static_cast<int>(s->size());
  for (int i = 0; i < n; ++i) {
    double g = 1;
    if (i < in) g *= 0.5 - 0.5 * std::cos(kPi * i / in);
    if (i >= n - out) g *= 0.5 - 0.5 * std::cos(kPi * (n - 1 - i) / out);
    (*s)[i] *= g;
  }
  // The fades move the mean a little again; a second pass weighted by the
  // window keeps the ends at zero.
  double residual = 0, weight = 0;
  for (int i = 0; i < n; ++i) {
    double w = std::sin(kPi * i / (n - 1));
    residual += (*s)[i];
    weight += w;
  }
  for (int i = 0; i < n; ++i) (*s)[i] -= residual / weight * std::sin(kPi * i / (n - 1));
  double peak = 0;
  for (double x : *s) peak = std::max(peak, std::fabs(x));
  double gain = peak > 0 ? std::pow(10.0, peakDb / 20.0) / peak : 0;
  for (double& x : *s) x *= gain;
}

bool WriteWave(const std::string& path, const Signal& s) {
  std::vector<uint8_t> bytes;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
  uint32_t data = static_cast<uint32_t>(s.size() * 2);
  tag("RIFF");
  put32(36 + data);
  tag("WAVE");
  tag("fmt ");
  put32(16);
  put16(1);  // PCM
  put16(1);  // mono
  put32(kRate);
  put32(kRate * 2);
  put16(2);
  put16(16);
  tag("data");
  put32(data);
  for (double x : s) {
    long v = std::lround(x * 32767.0);
    put16(static_cast<uint16_t>(static_cast<int16_t>(std::max(-32767L, std::min(32767L, v)))));
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// ---------------------------------------------------------------- effects
// A shot: a crisp crack of bright noise over a short low thump, gone in
// about 90 ms and well below the kills, so that eight a second stay light.
Signal GunFire() {
  Signal s(Samples(0.09), 0.0);
  Mix(&s, NoiseBurst(11, 0.09, 2600, 0.7, 0.0005, 0.010), 0, 1.0);
  Mix(&s, NoiseBurst(12, 0.09, 6500, 1.2, 0.0003, 0.004), 0, 0.5);
  Mix(&s, Glide(0.09, 190, 70, 0.001, 0.022), 0, 0.45);
  Finish(&s, -12, 0.0005, 0.02);
  return s;
}

// The magazine: a slide and two metallic clacks.
Signal Reload() {
  Signal s(Samples(0.36), 0.0);
  Mix(&s, NoiseBurst(21, 0.05, 3200, 3.0, 0.0005, 0.006), 0.0, 1.0);
  Mix(&s, Glide(0.05, 1900, 1850, 0.0005, 0.012), 0.0, 0.35);
  Mix(&s, NoiseBurst(22, 0.12, 1300, 1.5, 0.03, 0.03), 0.04, 0.12);
  Mix(&s, NoiseBurst(23, 0.08, 2400, 3.0, 0.0005, 0.008), 0.2, 1.0);
  Mix(&s, Glide(0.08, 1400, 1380, 0.0005, 0.018), 0.2, 0.35);
  Finish(&s, -8, 0.001, 0.03);
  return s;
}

// An enemy or a bullet shot down: a burst and a falling, wavering wail.
Signal OhNo() {
  const double length = 0.55;
  Signal wail(Samples(length));
  double phase = 0;
  for (size_t i = 0; i < wail.size(); ++i) {
    double t = i / double(kRate);
    double f = 880 * std::pow(220.0 / 880.0, t / length) * (1 + 0.03 * std::sin(2 * kPi * 7 * t));
    phase += 2 * kPi * f / kRate;
    double tone = std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.25 * std::sin(3 * phase);
    wail[i] = tone * Strike(t, 0.01, 0.25);
  }
  Signal s(Samples(length), 0.0);
  Mix(&s, wail, 0, 0.6);
  Mix(&s, NoiseBurst(31, 0.2, 1800, 0.6, 0.001, 0.035), 0, 1.0);
  Finish(&s, -3, 0.001, 0.06);
  return s;
}

// A bullet blown up: noise whose brightness falls away, over a low rumble.
Signal Bomb() {
  const double length = 0.9;
  Noise noise(41);
  Signal s(Samples(length));
  Biquad low1 = Biquad::LowPass(4000, 0.7), low2 = Biquad::LowPass(4000, 0.7);
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = i / double(kRate);
    if (i % 64 == 0) {
      // The cut-off glides down, retuned every 64 samples.
      Biquad next = Biquad::LowPass(4000 * std::pow(250.0 / 4000.0, t / length), 0.7);
      low1.Retune(next);
      low2.Retune(next);
    }
    double crackle = low2.Step(low1.Step(noise.Next()));
    phase += 2 * kPi * 55 * std::pow(0.7, t) / kRate;
    s[i] = (crackle * 3.0 + 0.8 * std::sin(phase)) * Strike(t, 0.003, 0.22);
  }
  Finish(&s, -3, 0.002, 0.1);
  return s;
}

// ---------------------------------------------------------------- cries
// Reads espeak-ng's wave output (16-bit mono; its header may give no length).
bool ReadSpeech(FILE* pipe, Signal* out, int* rate) {
  std::vector<uint8_t> bytes;
  uint8_t block[8192];
  size_t got;
  while ((got = std::fread(block, 1, sizeof(block), pipe)) > 0)
    bytes.insert(bytes.end(), block, block + got);
  if (bytes.size() < 44 || std::memcmp(bytes.data(), "RIFF", 4) != 0) return false;
  size_t at = 12;
  *rate = 0;
  while (at + 8 <= bytes.size()) {
    uint32_t length = bytes[at + 4] | (bytes[at + 5] << 8) | (bytes[at + 6] << 16) |
                      (static_cast<uint32_t>(bytes[at + 7]) << 24);
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && at + 16 <= bytes.size())
      *rate = bytes[at + 12] | (bytes[at + 13] << 8) | (bytes[at + 14] << 16);
    if (std::memcmp(&bytes[at], "data", 4) == 0) {
      for (size_t i = at + 8; i + 1 < bytes.size(); i += 2)
        out->push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)) / 32768.0);
      return *rate > 0 && !out->empty();
    }
    at += 8 + length;
  }
  return false;
}

// Band-limited change of rate: a Hann-windowed sinc, 16 zero crossings wide.
Signal Resample(const Signal& in, int from) {
  const double ratio = double(kRate) / from;
  const double cutoff = std::min(1.0, ratio);
  const int half = 16;
  Signal out(static_cast<size_t>(in.size() * ratio));
  for (size_t i = 0; i < out.size(); ++i) {
    double centre = i / ratio;
    long first = static_cast<long>(std::floor(centre)) - half / cutoff;
    long last = static_cast<long>(std::ceil(centre)) + half / cutoff;
    double sum = 0;
    for (long j = std::max(0L, first); j <= last && j < static_cast<long>(in.size()); ++j) {
      double x = (j - centre) * cutoff;
      double window = std::fabs(x) >= half ? 0 : 0.5 + 0.5 * std::cos(kPi * x / half);
      double sinc = x == 0 ? 1 : std::sin(kPi * x) / (kPi * x);
      sum += in[j] * cutoff * sinc * window;
    }
    out[i] = sum;
  }
  return out;
}

// A cry: espeak-ng's Japanese voice, quick and high, then driven a little
// harder (a shout, not a reading), trimmed to the voice and faded.
bool Cry(const std::string& espeak, const char* kana, int pitch, int speed, Signal* cry) {
  std::string command = "'" + espeak + "' -v ja -p " + std::to_string(pitch) + " -s " +
                        std::to_string(speed) + " -a 180 --stdout '" + kana + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  Signal speech;
  int rate = 0;
  bool ok = ReadSpeech(pipe, &speech, &rate);
  if (pclose(pipe) != 0 || !ok) return false;
  Signal s = Resample(speech, rate);
  double peak = 0;
  for (double x : s) peak = std::max(peak, std::fabs(x));
  if (peak <= 0) return false;
  for (double& x : s) x = std::tanh(2.5 * x / peak) / std::tanh(2.5);
  size_t begin = 0, end = s.size();
  while (begin < end && std::fabs(s[begin]) < 0.02) ++begin;
  while (end > begin && std::fabs(s[end - 1]) < 0.02) --end;
  size_t margin = Samples(0.01);
  begin = begin > margin ? begin - margin : 0;
  end = std::min(s.size(), end + margin);
  cry->assign(s.begin() + begin, s.begin() + end);
  Biquad rumble = Biquad::HighPass(90, 0.7);
  for (double& x : *cry) x = rumble.Step(x);
  Finish(cry, -3, 0.005, 0.03);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: soundgen <output folder> <espeak-ng program>\n");
    return 2;
  }
  std::string folder = argv[1], espeak = argv[2];
  struct Cried {
    const char* name;
    const char* kana;
    int pitch, speed;
  } cries[] = {{"Konoyarou", "このやろう!", 45, 230},
               {"Kuso", "くそっ!", 60, 200},
               {"Yariyagattana", "やりやがったな!", 50, 240}};
  bool ok = WriteWave(folder + "/GunFire.wav", GunFire()) &&
            WriteWave(folder + "/Reload.wav", Reload()) &&
            WriteWave(folder + "/OhNo.wav", OhNo()) && WriteWave(folder + "/Bomb.wav", Bomb());
  for (const Cried& c : cries) {
    Signal cry;
    if (!ok || !Cry(espeak, c.kana, c.pitch, c.speed, &cry)) {
      std::fprintf(stderr, "soundgen: cannot make %s with %s\n", c.name, espeak.c_str());
      return 1;
    }
    ok = WriteWave(folder + "/" + c.name + ".wav", cry);
  }
  if (!ok) {
    std::fprintf(stderr, "soundgen: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
