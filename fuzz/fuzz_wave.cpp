// The sound effects' wave file reader on arbitrary bytes: whatever it
// accepts must lie inside the input and be whole frames.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SWaveData wave;
  std::string error;
  if (!ReadWaveFile(data, size, &wave, &error)) return 0;
  if (wave.pcm < data || wave.pcm + wave.pcmBytes > data + size || wave.pcmBytes == 0 ||
      wave.pcmBytes % wave.format.nBlockAlign != 0)
    std::abort();
  uint8_t sum = 0;
  for (DWORD i = 0; i < wave.pcmBytes; ++i) sum ^= wave.pcm[i];
  return sum == 0x5A ? 0 : 0;
}
