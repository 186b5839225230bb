// The input as a CAS file: its programs read and, at 500 baud, written again
// and read back to the same programs; whatever it holds, nothing read outside it.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_checks.h"
#include "tape/tape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  const trivane::tape::Tape t = trivane::tape::ReadCas(file);
  trivane::fuzz::Require(t.programs.empty() != t.error.empty(),
                         "programs and an error both, or neither");
  for (const trivane::tape::Program& p : t.programs) {
    trivane::fuzz::Require(p.data.size() <= p.bytes.size(), "more data than bytes");
    trivane::fuzz::Require(p.BadChecksums() <= static_cast<int>(p.blocks.size()),
                           "more bad blocks than blocks");
  }
  // A 1500-baud program's last byte holds fill bits, which a rewrite makes 0:
  // next to a leader of 55 bytes they may move where it is found.
  for (const trivane::tape::Program& p : t.programs) {
    if (p.baud == 1500) return 0;
  }
  const trivane::tape::Tape back = trivane::tape::ReadCas(trivane::tape::WriteCas(t));
  trivane::fuzz::Require(back.programs.size() == t.programs.size(),
                         "a CAS written reads back otherwise");
  for (std::size_t k = 0; k < t.programs.size(); ++k)
    trivane::fuzz::Require(back.programs[k].bytes == t.programs[k].bytes,
                           "a program's bytes read back otherwise");
  return 0;
}
