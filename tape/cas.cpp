// CAS files: the bytes a tape carries from the leader on, program after
// program. At 500 and 250 baud every byte is whole; at 1500 baud the bytes
// after the sync are 9 bits each, a 0 start bit and the byte's bits, the
// most significant first, packed without gaps and filled out with 0 bits
// to the file's next whole byte where the program ends.
#include <algorithm>
#include <optional>

#include "tape/tape.h"

namespace trivane::tape {
namespace {

constexpr std::size_t kLeastLeader = 8;
constexpr int kGroupBits = 9;

struct Leader {
  std::size_t at = 0, length = 0;
  std::uint8_t byte = 0, sync = 0;
};

std::uint8_t SyncAfter(std::uint8_t leader) {
  return leader == 0x55 ? 0x7F : 0xA5;
}

// The first leader at or after `from` that its sync ends.
std::optional<Leader> FindLeader(std::span<const std::uint8_t> file, std::size_t from) {
  std::size_t i = from;
  while (i < file.size()) {
    const std::uint8_t v = file[i];
    std::size_t run = 1;
    while (i + run < file.size() && file[i + run] == v) ++run;
    if ((v == 0x00 || v == 0x55) && run >= kLeastLeader && i + run < file.size() &&
        file[i + run] == SyncAfter(v)) {
      return Leader{i, run, v, SyncAfter(v)};
    }
    i += run;
  }
  return std::nullopt;
}

// The 9-bit groups from bit 0 of `from` on, as bytes; each group whose
// start bit is not 0 named.
std::vector<std::uint8_t> Groups(std::span<const std::uint8_t> file, std::size_t from,
                                 std::size_t count, std::vector<std::size_t>& unframed) {
  std::vector<std::uint8_t> out;
  const auto bit = [&](std::size_t k) { return (file[from + k / 8] >> (7 - k % 8)) & 1; };
  for (std::size_t g = 0; g < count; ++g) {
    const std::size_t first = g * kGroupBits;
    if (bit(first) != 0) unframed.push_back(g);
    int value = 0;
    for (int k = 1; k < kGroupBits; ++k)
      value = value << 1 | bit(first + static_cast<std::size_t>(k));
    out.push_back(static_cast<std::uint8_t>(value));
  }
  return out;
}

// The bytes a parsed program took: to its end record, end mark or 1A, or
// all of them for data.
std::size_t Taken(const Program& p) {
  const std::vector<std::uint8_t>& b = p.bytes;
  switch (p.kind) {
    case Kind::kSystem: {
      std::size_t at = 7;
      for (const Block& block : p.blocks) at = block.offset + 4 + block.data.size() + 1;
      return std::min(b.size(), p.entry >= 0 ? at + 3 : at);
    }
    case Kind::kBasic:
      return std::min(b.size(), 4 + p.data.size());
    case Kind::kEdtasm:
      return std::min(b.size(), 7 + p.data.size() + 1);
    case Kind::kData:
      break;
  }
  return b.size();
}

// One program from its leader: its bytes to the next leader (after what it
// took) or the file's end; returns where the next leader is looked for.
std::size_t ReadProgram(std::span<const std::uint8_t> file, const Leader& l, Program& p) {
  p.at = static_cast<std::int64_t>(l.at);
  p.leader_byte = l.byte;
  p.leader = static_cast<int>(l.length);
  p.sync = l.sync;
  p.baud = l.byte == 0x55 ? 1500 : 500;
  const std::size_t from = l.at + l.length + 1;
  const bool grouped = p.baud == 1500;
  const std::size_t all = grouped ? (file.size() - from) * 8 / kGroupBits : file.size() - from;
  std::vector<std::size_t> unframed;
  p.bytes = grouped ? Groups(file, from, all, unframed)
                    : std::vector<std::uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(from),
                                                file.end());
  Parse(p);
  const std::size_t taken = p.kind == Kind::kData ? 0 : Taken(p);
  const std::size_t taken_end = from + (grouped ? (taken * kGroupBits + 7) / 8 : taken);
  const std::optional<Leader> next = FindLeader(file, taken_end);
  const std::size_t end = next ? next->at : file.size();
  p.bytes.resize(grouped ? (end - from) * 8 / kGroupBits : end - from);
  Parse(p);
  for (std::size_t g : unframed) {
    if (g < p.bytes.size())
      p.findings.push_back("byte " + std::to_string(g) + " after the sync has no 0 start bit");
  }
  return end;
}

void Put(std::vector<std::uint8_t>& out, const Program& p) {
  out.insert(out.end(), static_cast<std::size_t>(std::max(p.leader, 0)), p.leader_byte);
  out.push_back(p.sync);
  if (p.baud != 1500) {
    out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return;
  }
  int filled = 0, pending = 0;
  const auto bit = [&](int b) {
    pending = pending << 1 | b;
    if (++filled == 8) out.push_back(static_cast<std::uint8_t>(pending)), filled = 0, pending = 0;
  };
  for (std::uint8_t byte : p.bytes) {
    bit(0);
    for (int k = 7; k >= 0; --k) bit((byte >> k) & 1);
  }
  while (filled != 0) bit(0);
}

}  // namespace

bool IsCas(std::span<const std::uint8_t> file) {
  const std::optional<Leader> l = FindLeader(file, 0);
  return l && l->at == 0;
}

Tape ReadCas(std::span<const std::uint8_t> file) {
  Tape t;
  t.container = Container::kCas;
  std::optional<Leader> l = FindLeader(file, 0);
  if (!l) t.error = "no leader and sync byte: not a tape";
  if (l && l->at > 0)
    t.findings.push_back(std::to_string(l->at) + " bytes before the first leader");
  while (l) {
    Program p;
    const std::size_t end = ReadProgram(file, *l, p);
    t.programs.push_back(std::move(p));
    l = FindLeader(file, end);
  }
  return t;
}

std::vector<std::uint8_t> WriteCas(const Tape& tape) {
  std::vector<std::uint8_t> out;
  for (const Program& p : tape.programs) Put(out, p);
  return out;
}

}  // namespace trivane::tape
