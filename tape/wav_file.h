// WAV files as the tape reader and writer see them:
//   "RIFF", size (4), "WAVE", then chunks of an id (4) and a size (4,
//   padded to even); "fmt " holds the format (2: 1 PCM, FFFE extensible),
//   channels (2), the sample rate (4), bytes a second (4), bytes a frame
//   (2) and bits a sample (2); "data" the frames, channels interleaved,
//   8-bit samples unsigned (128 the middle), 16-bit signed little-endian.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trivane::tape {

struct Samples {
  int rate = 0;
  std::vector<std::vector<float>> channels;  // each sample from -1 to 1
  std::string error;                         // why there are none
};

Samples ReadSamples(std::span<const std::uint8_t> file);
// 8-bit mono: each value from -1 to 1.
std::vector<std::uint8_t> WriteSamples(const std::vector<float>& samples, int rate);

}  // namespace trivane::tape
