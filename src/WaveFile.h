// Reads RIFF/WAVE files of plain PCM (8 or 16 bits, mono or stereo), the
// form the sound effects are kept in beside the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dsound7.h"

struct SWaveData {
  WAVEFORMATEX format;  // cbSize 0
  const uint8_t* pcm;   // the samples, inside the file's bytes
  DWORD pcmBytes;       // a whole number of frames, at least one
};

// Longest sound accepted: a minute at 48 kHz, 16-bit stereo.
const DWORD kWaveMaxBytes = 60u * 48000u * 4u;

// Finds the format and the samples in a file held in memory. A data chunk
// that claims more bytes than the file holds is cut to what is there (a file
// written by a stream, or cut short, still plays what it has). False, with
// the reason in *error, for anything else that is not such a file.
bool ReadWaveFile(const uint8_t* file, size_t size, SWaveData* wave, std::string* error);
