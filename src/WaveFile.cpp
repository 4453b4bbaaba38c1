#include "WaveFile.h"

#include <cstring>

namespace {

uint32_t Read32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Read16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool Fail(std::string* error, const char* reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

bool ReadWaveFile(const uint8_t* file, size_t size, SWaveData* wave, std::string* error) {
  if (!file || size < 12 || std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4))
    return Fail(error, "not a RIFF/WAVE file");
  bool haveFormat = false;
  WAVEFORMATEX format;
  std::memset(&format, 0, sizeof(format));
  size_t at = 12;
  while (size - at >= 8) {
    const uint8_t* chunk = file + at;
    const size_t length = Read32(chunk + 4);
    const size_t left = size - at - 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16 || length > left) return Fail(error, "broken format chunk");
      format.wFormatTag = Read16(chunk + 8);
      format.nChannels = Read16(chunk + 10);
      format.nSamplesPerSec = Read32(chunk + 12);
      format.wBitsPerSample = Read16(chunk + 22);
      if (format.wFormatTag != WAVE_FORMAT_PCM) return Fail(error, "not plain PCM");
      if (format.nChannels < 1 || format.nChannels > 2) return Fail(error, "not mono or stereo");
      if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16)
        return Fail(error, "neither 8 nor 16 bits per sample");
      if (format.nSamplesPerSec < 8000 || format.nSamplesPerSec > 192000)
        return Fail(error, "sample rate outside 8000-192000 Hz");
      // Derived only from checked fields: any header value could overflow them.
      format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
      format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
      if (Read16(chunk + 20) != format.nBlockAlign) return Fail(error, "inconsistent block size");
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return Fail(error, "samples before the format");
      size_t bytes = length < left ? length : left;
      bytes -= bytes % format.nBlockAlign;
      if (bytes == 0) return Fail(error, "no samples");
      if (bytes > kWaveMaxBytes) return Fail(error, "longer than a minute");
      wave->format = format;
      wave->pcm = chunk + 8;
      wave->pcmBytes = static_cast<DWORD>(bytes);
      return true;
    }
    // Chunks are padded to an even length.
    if (length >= left) break;
    at += 8 + length + (length & 1);
  }
  return Fail(error, haveFormat ? "no samples" : "no format");
}
