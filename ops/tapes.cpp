// Tapes opened by content, their programs as disk files and back, and tapes
// written and proved (ops/tapes.h).
#include "ops/tapes.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "formats/text.h"
#include "fs/filesystem.h"
#include "ops/archives.h"
#include "ops/host_files.h"
#include "views/basic.h"
#include "views/load_module.h"

namespace trivane::ops {
namespace {

constexpr std::uintmax_t kMostTapeBytes = std::uintmax_t{1} << 30;
// A tape is told by its first bytes: a WAV header, or a CAS leader and sync.
constexpr std::size_t kTapeHead = 64 * 1024;
constexpr int kLowestTapeLoad = 0x3C00;  // below: the ROM and the keyboard
constexpr std::uint8_t kDiskBasic = 0xFF;
constexpr std::uint8_t kLoadRecord = 0x01, kTransferRecord = 0x02;

// The load module of a SYSTEM program; a block whose checksum fails, or
// that the tape cut, is damage at its bytes in the module.
std::vector<std::uint8_t> LoadModuleOf(const tape::Program& p,
                                       std::vector<filesystems::Damaged>& damaged) {
  std::vector<std::uint8_t> out;
  for (std::size_t k = 0; k < p.blocks.size(); ++k) {
    const tape::Block& b = p.blocks[k];
    if (b.data.empty()) continue;
    if (!b.checksum_good || b.cut) {
      damaged.push_back({"block " + std::to_string(k + 1), true,
                         static_cast<std::int64_t>(out.size() + 4),
                         static_cast<std::int64_t>(b.data.size())});
    }
    out.insert(out.end(),
               {kLoadRecord, static_cast<std::uint8_t>((b.data.size() + 2) & 0xFF),
                static_cast<std::uint8_t>(b.load & 0xFF), static_cast<std::uint8_t>(b.load >> 8)});
    out.insert(out.end(), b.data.begin(), b.data.end());
  }
  const int entry = std::max(p.entry, 0);
  out.insert(out.end(), {kTransferRecord, 2, static_cast<std::uint8_t>(entry & 0xFF),
                         static_cast<std::uint8_t>(entry >> 8)});
  return out;
}

// EDTASM lines (digits with bit 7 set, a blank, the text, 0D) as text.
std::vector<std::uint8_t> SourceText(const std::vector<std::uint8_t>& source) {
  std::vector<std::uint8_t> out;
  for (std::uint8_t b : source)
    out.push_back(b == 0x0D ? '\n' : static_cast<std::uint8_t>(b & 0x7F));
  return out;
}

std::string NamePart(const tape::Program& p, std::size_t index) {
  std::string name;
  for (char c : p.name) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += static_cast<char>(std::toupper(c));
  }
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0])))
    name = "TAPE" + std::to_string(index + 1);
  return name.substr(0, 8);
}

// A leader's first bytes: twelve of 00 or of 55.
bool Leader(std::span<const std::uint8_t> head) {
  return head.size() == 12 &&
         (std::all_of(head.begin(), head.end(), [](auto b) { return b == 0x00; }) ||
          std::all_of(head.begin(), head.end(), [](auto b) { return b == 0x55; }));
}

}  // namespace

bool IsTapeBytes(std::span<const std::uint8_t> bytes) {
  const std::span<const std::uint8_t> head = bytes.first(std::min<std::size_t>(12, bytes.size()));
  if (tape::IsWav(head)) return true;
  // Only a file that starts as a leader is read on to its sync: a disk
  // image is told from a tape by its first bytes.
  return Leader(head) && tape::IsCas(bytes.first(std::min<std::size_t>(kTapeHead, bytes.size())));
}

// The first 12 bytes, and the rest of the head only where they may begin
// a tape: a disk image is read no further here.
bool IsTapeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> head(12);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  if (!tape::IsWav(head) && !Leader(head)) return false;
  head.resize(kTapeHead);
  in.read(reinterpret_cast<char*>(head.data() + 12), static_cast<std::streamsize>(kTapeHead - 12));
  head.resize(12 + static_cast<std::size_t>(in.gcount()));
  return IsTapeBytes(head);
}

OpenedTape OpenTapeOf(const std::string& file, const std::vector<std::uint8_t>& bytes) {
  OpenedTape out;
  out.file = file;
  out.is_tape = IsTapeBytes(bytes);
  if (!out.is_tape) return out;
  out.tape = tape::ReadTape(bytes);
  out.error = out.tape.error;
  return out;
}

OpenedTape OpenTape(const std::filesystem::path& path) {
  if (std::optional<MemberBytes> member = ReadMemberPath(path)) {
    if (!member->error.empty()) return {Utf8Of(path), false, {}, ""};
    return OpenTapeOf(Utf8Of(path), member->bytes);
  }
  OpenedTape out;
  out.file = Utf8Of(path);
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || !IsTapeFile(path)) return out;
  out.is_tape = true;
  if (size > kMostTapeBytes) {
    out.error = "a tape of " + std::to_string(size) + " bytes is more than Trivane reads";
    return out;
  }
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  out.tape = tape::ReadTape(bytes);
  out.error = out.tape.error;
  return out;
}

TapeFile FileOf(const tape::Program& p, std::size_t index) {
  const std::string name = NamePart(p, index);
  const auto named = [&](const char* ext, std::vector<std::uint8_t> bytes) {
    return TapeFile{name + "." + ext, name + "/" + ext, std::move(bytes), {}};
  };
  switch (p.kind) {
    case tape::Kind::kSystem: {
      std::vector<filesystems::Damaged> damaged;
      TapeFile f = named("CMD", LoadModuleOf(p, damaged));
      f.damaged = std::move(damaged);
      return f;
    }
    case tape::Kind::kBasic: {
      std::vector<std::uint8_t> bytes = {kDiskBasic};
      bytes.insert(bytes.end(), p.data.begin(), p.data.end());
      return named("BAS", std::move(bytes));
    }
    case tape::Kind::kEdtasm:
      return named("ASM", SourceText(p.data));
    case tape::Kind::kData:
      break;
  }
  return named("DAT", p.data);
}

std::vector<TapeFile> FilesOf(const tape::Tape& t) {
  std::vector<TapeFile> out;
  for (std::size_t k = 0; k < t.programs.size(); ++k) out.push_back(FileOf(t.programs[k], k));
  return out;
}

ProgramCells CellsOf(const tape::Program& p) {
  ProgramCells c;
  const bool system = p.kind == tape::Kind::kSystem;
  const auto hex4 = [](int value) { return HexByte(value >> 8) + HexByte(value); };
  c.kind = tape::KindWord(p.kind);
  c.name = p.name;
  c.baud = std::to_string(p.baud);
  c.blocks = std::to_string(p.blocks.size());
  if (system) {
    c.checksums = p.BadChecksums() == 0 ? "good" : std::to_string(p.BadChecksums()) + " bad";
    if (p.Load() >= 0) c.range = hex4(p.Load()) + "-" + hex4(p.End());
    if (p.entry >= 0) c.entry = hex4(p.entry);
  }
  c.size = std::to_string(p.data.size());
  return c;
}

namespace {

std::vector<std::uint8_t> ListingOf(const std::vector<std::uint8_t>& basic) {
  std::string text;
  for (const std::string& line : views::ListBasic(basic).lines) text += line + "\n";
  return {text.begin(), text.end()};
}

}  // namespace

std::vector<WrittenFile> WriteTapeFiles(const std::vector<TapeFile>& files,
                                        const std::filesystem::path& folder, bool listings) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::vector<std::string> wanted;
  for (const TapeFile& f : files) wanted.push_back(f.host_name);
  const std::vector<std::string> hosts = HostNames(wanted);
  std::vector<WrittenFile> out;
  const auto write = [&](const std::filesystem::path& path, const std::vector<std::uint8_t>& b) {
    out.push_back({path, WriteHostFile(path, b, false).why});
  };
  for (std::size_t k = 0; k < files.size(); ++k) {
    write(folder / PathFromUtf8(hosts[k]), files[k].bytes);
    if (listings && files[k].host_name.ends_with(".BAS"))
      write(folder / PathFromUtf8(hosts[k] + ".txt"), ListingOf(files[k].bytes));
  }
  return out;
}

MadeProgram ProgramOfFile(const std::string& dos_name, const std::vector<std::uint8_t>& bytes,
                          int baud) {
  MadeProgram out;
  const std::string name = dos_name.substr(0, dos_name.find_first_of("/.:"));
  if (!bytes.empty() && bytes[0] == kDiskBasic) {
    if (views::ListBasic(bytes).model4) {
      out.error = "a Model 4 BASIC program: Model 4 BASIC keeps no programs on tape";
      return out;
    }
    out.program = tape::BasicProgram(name, {bytes.begin() + 1, bytes.end()}, baud);
    return out;
  }
  const views::LoadModule m = views::ReadLoadModule(bytes);
  if (m.blocks.empty() || !m.damage.empty() || m.transfer < 0) {
    out.error = "neither a load module with its entry nor a tokenised BASIC program";
    return out;
  }
  std::vector<tape::LoadBlock> blocks;
  for (const views::Block& b : m.blocks) {
    if (b.yanked) continue;
    if (b.address < kLowestTapeLoad) {
      out.error = "it loads at " + HexByte(b.address >> 8) + HexByte(b.address) +
                  ", below 3C00, where a tape cannot load (the ROM and the keyboard)";
      return out;
    }
    for (int k = 0; k < b.length; k += 256) {
      const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(b.offset) + k;
      blocks.push_back({b.address + k, {from, from + std::min(256, b.length - k)}});
    }
  }
  out.program = tape::SystemProgram(name, blocks, m.transfer, baud);
  return out;
}

bool TapeContainerOf(const std::filesystem::path& path, tape::Container& container) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (ext == ".cas")
    container = tape::Container::kCas;
  else if (ext == ".wav")
    container = tape::Container::kWav;
  else
    return false;
  return true;
}

std::string WriteTape(const std::filesystem::path& path, const tape::Tape& t,
                      tape::Container container, int rate, bool replace) {
  const std::vector<std::uint8_t> bytes =
      container == tape::Container::kCas ? tape::WriteCas(t) : tape::WriteWav(t, rate);
  const tape::Tape back = tape::ReadTape(bytes);
  bool same = back.programs.size() == t.programs.size();
  for (std::size_t k = 0; same && k < t.programs.size(); ++k) {
    same = back.programs[k].bytes == t.programs[k].bytes;
  }
  if (!same) return "the tape as written does not read back as its programs";
  return WriteHostFile(path, bytes, replace).why;
}

}  // namespace trivane::ops
