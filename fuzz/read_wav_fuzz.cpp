// The input as a WAV file, and its bytes as the 8-bit samples of one: the
// recording read to programs, never a fault, nothing read outside it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "tape/tape.h"
#include "tape/wav_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  const trivane::tape::Tape t = trivane::tape::ReadWav(file);
  trivane::fuzz::Require(t.programs.empty() != t.error.empty(),
                         "programs and an error both, or neither");
  std::vector<float> samples;
  for (std::uint8_t b : file) samples.push_back((b - 128) / 128.0f);
  const trivane::tape::Tape heard =
      trivane::tape::ReadWav(trivane::tape::WriteSamples(samples, 22050));
  for (const trivane::tape::Program& p : heard.programs)
    trivane::fuzz::Require(p.data.size() <= p.bytes.size(), "more data than bytes");
  return 0;
}
