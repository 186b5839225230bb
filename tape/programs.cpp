// The bytes after a tape's sync as a program (layout in tape.h), and
// programs made to be recorded.
#include <algorithm>

#include "formats/text.h"
#include "tape/tape.h"

namespace trivane::tape {
namespace {

constexpr std::uint8_t kSystemHeader = 0x55;
constexpr std::uint8_t kBasicHeader = 0xD3;
constexpr std::uint8_t kBlockMark = 0x3C;
constexpr std::uint8_t kEndMark = 0x78;
constexpr std::uint8_t kSourceEnd = 0x1A;
constexpr std::size_t kSystemName = 6;

std::string NameOf(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count) {
  std::string name;
  for (std::size_t k = from; k < from + count && k < bytes.size(); ++k)
    name += static_cast<char>(bytes[k]);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

// 3C blocks to the 78 end record.
void ParseSystem(Program& p) {
  const std::vector<std::uint8_t>& b = p.bytes;
  p.name = NameOf(b, 1, kSystemName);
  std::size_t at = 1 + kSystemName;
  while (at < b.size() && b[at] == kBlockMark) {
    Block block;
    block.offset = at;
    const std::size_t count = at + 1 < b.size() && b[at + 1] != 0 ? b[at + 1] : 256;
    const std::size_t data = at + 4;
    if (data + count + 1 > b.size()) {
      block.cut = true;
      p.findings.push_back("block " + std::to_string(p.blocks.size() + 1) + " is cut short");
    }
    int sum = 0;
    if (at + 3 < b.size()) {
      block.load = b[at + 2] | b[at + 3] << 8;
      sum = b[at + 2] + b[at + 3];
    }
    for (std::size_t k = data; k < data + count && k < b.size(); ++k) {
      block.data.push_back(b[k]);
      sum += b[k];
    }
    block.checksum_good = !block.cut && (sum & 0xFF) == b[data + count];
    if (!block.cut && !block.checksum_good) {
      p.findings.push_back("block " + std::to_string(p.blocks.size() + 1) + " at " +
                           HexByte(block.load >> 8) + HexByte(block.load & 0xFF) +
                           ": bad checksum");
    }
    p.data.insert(p.data.end(), block.data.begin(), block.data.end());
    p.blocks.push_back(std::move(block));
    at = data + count + 1;
  }
  if (at + 2 < b.size() && b[at] == kEndMark) {
    p.entry = b[at + 1] | b[at + 2] << 8;
  } else if (at < b.size()) {
    p.findings.push_back("byte " + std::to_string(at) + " is " + HexByte(b[at]) +
                         ", neither a block nor the end record");
  } else if (p.blocks.empty() || !p.blocks.back().cut) {
    p.findings.push_back("the tape ends before the end record");
  }
}

// Lines of link, number, tokens and 00, to a link of 00 00.
void ParseBasic(Program& p) {
  const std::vector<std::uint8_t>& b = p.bytes;
  p.name = NameOf(b, 3, 1);
  std::size_t at = 4;
  while (at + 1 < b.size() && (b[at] | b[at + 1]) != 0) {
    std::size_t end = at + 4;
    while (end < b.size() && b[end] != 0) ++end;
    at = end + 1;
  }
  if (at + 1 < b.size()) {
    p.data.assign(b.begin() + 4, b.begin() + static_cast<std::ptrdiff_t>(at) + 2);
  } else {
    p.data.assign(b.begin() + std::min<std::size_t>(4, b.size()), b.end());
    p.findings.push_back("the program ends before its end mark");
  }
}

void ParseEdtasm(Program& p) {
  const std::vector<std::uint8_t>& b = p.bytes;
  p.name = NameOf(b, 1, kSystemName);
  const auto from = b.begin() + static_cast<std::ptrdiff_t>(std::min(1 + kSystemName, b.size()));
  const auto end = std::find(from, b.end(), kSourceEnd);
  p.data.assign(from, end);
  if (end == b.end()) p.findings.push_back("the source ends before its end mark (1A)");
}

bool IsBasic(const std::vector<std::uint8_t>& b) {
  return b.size() >= 3 && b[0] == kBasicHeader && b[1] == kBasicHeader && b[2] == kBasicHeader;
}

}  // namespace

const char* KindWord(Kind kind) {
  switch (kind) {
    case Kind::kSystem:
      return "system";
    case Kind::kBasic:
      return "basic";
    case Kind::kEdtasm:
      return "edtasm";
    case Kind::kData:
      break;
  }
  return "data";
}

namespace {
constexpr TapeFormat kTapeRows[] = {
    {Container::kCas, "CAS", "*.cas", "application/x-trs80-cas", "TRS-80 cassette tape image"},
    {Container::kWav, "WAV", "*.wav", "", "a cassette recorded as sound"}};
}  // namespace

std::span<const TapeFormat> TapeFormats() {
  return kTapeRows;
}

const char* ContainerName(Container container) {
  return container == Container::kCas ? kTapeRows[0].name : kTapeRows[1].name;
}

int Program::BadChecksums() const {
  return static_cast<int>(std::count_if(blocks.begin(), blocks.end(),
                                        [](const Block& b) { return !b.cut && !b.checksum_good; }));
}

int Program::Load() const {
  int low = -1;
  for (const Block& b : blocks) low = low < 0 ? b.load : std::min(low, b.load);
  return low;
}

int Program::End() const {
  int high = -1;
  for (const Block& b : blocks) {
    if (!b.data.empty()) high = std::max(high, b.load + static_cast<int>(b.data.size()) - 1);
  }
  return high;
}

void Parse(Program& p) {
  p.kind = Kind::kData;
  p.name.clear();
  p.blocks.clear();
  p.entry = -1;
  p.data.clear();
  const std::vector<std::uint8_t>& b = p.bytes;
  if (!b.empty() && b[0] == kSystemHeader) {
    p.kind = Kind::kSystem;
    ParseSystem(p);
  } else if (IsBasic(b)) {
    p.kind = Kind::kBasic;
    ParseBasic(p);
  } else if (!b.empty() && b[0] == kBasicHeader) {
    p.kind = Kind::kEdtasm;
    ParseEdtasm(p);
  } else {
    p.data = b;
  }
}

void SetBaud(Program& p, int baud) {
  p.baud = baud;
  p.leader_byte = baud == 1500 ? 0x55 : 0x00;
  p.sync = baud == 1500 ? 0x7F : 0xA5;
}

Program SystemProgram(const std::string& name, const std::vector<LoadBlock>& blocks, int entry,
                      int baud) {
  Program p;
  SetBaud(p, baud);
  p.bytes.push_back(kSystemHeader);
  std::string padded = name.substr(0, kSystemName);
  padded.resize(kSystemName, ' ');
  p.bytes.insert(p.bytes.end(), padded.begin(), padded.end());
  for (const LoadBlock& b : blocks) {
    p.bytes.push_back(kBlockMark);
    p.bytes.push_back(static_cast<std::uint8_t>(b.data.size() & 0xFF));
    p.bytes.push_back(static_cast<std::uint8_t>(b.load & 0xFF));
    p.bytes.push_back(static_cast<std::uint8_t>(b.load >> 8));
    int sum = (b.load & 0xFF) + (b.load >> 8);
    for (std::uint8_t x : b.data) sum += x;
    p.bytes.insert(p.bytes.end(), b.data.begin(), b.data.end());
    p.bytes.push_back(static_cast<std::uint8_t>(sum & 0xFF));
  }
  p.bytes.insert(p.bytes.end(), {kEndMark, static_cast<std::uint8_t>(entry & 0xFF),
                                 static_cast<std::uint8_t>((entry >> 8) & 0xFF)});
  Parse(p);
  return p;
}

Program BasicProgram(const std::string& name, const std::vector<std::uint8_t>& tokenised,
                     int baud) {
  Program p;
  SetBaud(p, baud);
  p.bytes.reserve(4 + tokenised.size());
  p.bytes.assign(3, kBasicHeader);
  p.bytes.push_back(static_cast<std::uint8_t>(name.empty() ? 'A' : name[0]));
  p.bytes.insert(p.bytes.end(), tokenised.begin(), tokenised.end());
  Parse(p);
  return p;
}

}  // namespace trivane::tape
