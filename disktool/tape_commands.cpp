// The commands on tapes (tape_commands.h).
#include "disktool/tape_commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/escaped.h"
#include "cli/json_writer.h"
#include "cli/sha256.h"
#include "disktool/write_commands.h"
#include "formats/text.h"
#include "ops/open.h"

namespace trivane::disktool {
namespace {

using cli::Escaped;

constexpr const char* kColumns = "  %-7s %-7s %5s %6s  %-9s %-10s %-5s %6s\n";

std::string ProgramLine(const tape::Program& p) {
  char line[160];
  const ops::ProgramCells c = ops::CellsOf(p);
  std::snprintf(line, sizeof line, kColumns, c.kind.c_str(), cli::Escaped(c.name).c_str(),
                c.baud.c_str(), c.blocks.c_str(), c.checksums.c_str(), c.range.c_str(),
                c.entry.c_str(), c.size.c_str());
  return line;
}

}  // namespace

std::string TapeDirText(const ops::OpenedTape& t) {
  const std::size_t n = t.tape.programs.size();
  std::string out = Escaped(t.file) + ": " + tape::ContainerName(t.tape.container) + " tape, " +
                    std::to_string(n) + (n == 1 ? " program\n" : " programs\n");
  char head[160];
  std::snprintf(head, sizeof head, kColumns, "kind", "name", "baud", "blocks", "checksums", "load",
                "entry", "size");
  out += head;
  for (const tape::Program& p : t.tape.programs) out += ProgramLine(p);
  for (const std::string& f : t.tape.findings) out += "  finding: " + f + "\n";
  for (const tape::Program& p : t.tape.programs) {
    for (const std::string& f : p.findings) out += "  " + Escaped(p.name) + ": " + f + "\n";
  }
  return out;
}

std::string TapeDirJson(const ops::OpenedTape& t) {
  cli::JsonWriter j;
  j.BeginObject().Member("file", t.file);
  if (!t.error.empty()) {
    j.Member("error", t.error).EndObject();
    return j.text();
  }
  j.Member("container", tape::ContainerName(t.tape.container)).Key("programs").BeginArray();
  for (const tape::Program& p : t.tape.programs) {
    const bool system = p.kind == tape::Kind::kSystem;
    j.BeginObject().Member("kind", tape::KindWord(p.kind)).Member("name", p.name);
    j.Member("baud", p.baud).Member("blocks", p.blocks.size());
    j.Member("bad_checksums", p.BadChecksums());
    j.Key("load"), system&& p.Load() >= 0 ? j.Number(p.Load()) : j.Null();
    j.Key("end"), system&& p.End() >= 0 ? j.Number(p.End()) : j.Null();
    j.Key("entry"), system&& p.entry >= 0 ? j.Number(p.entry) : j.Null();
    j.Member("size", p.data.size()).Member("sha256", cli::Sha256Hex(p.data));
    j.Key("findings").BeginArray();
    for (const std::string& f : p.findings) j.String(f);
    j.EndArray().EndObject();
  }
  j.EndArray().Key("findings").BeginArray();
  for (const std::string& f : t.tape.findings) j.String(f);
  j.EndArray().EndObject();
  return j.text();
}

const ops::TapeFile* FindTapeFile(const std::vector<ops::TapeFile>& files,
                                  const std::string& typed) {
  const std::string wanted = UpperAscii(typed);
  for (const ops::TapeFile& f : files) {
    if (UpperAscii(f.dos_name) == wanted || UpperAscii(f.host_name) == wanted) return &f;
  }
  for (const ops::TapeFile& f : files) {
    if (f.dos_name.substr(0, f.dos_name.find('/')) == wanted) return &f;
  }
  return nullptr;
}

TapeLookup LookUpTapeFile(const std::string& image, const std::string& name) {
  TapeLookup out;
  const ops::OpenedTape t = ops::OpenTape(PathFromUtf8(image));
  out.is_tape = t.is_tape;
  if (!t.is_tape) return out;
  if (!t.error.empty()) {
    std::cerr << "trivane-disk: " << Escaped(image) << ": " << t.error << "\n";
    return out;
  }
  const std::vector<ops::TapeFile> files = ops::FilesOf(t.tape);
  if (const ops::TapeFile* f = FindTapeFile(files, name)) {
    out.file = *f;
  } else {
    std::cerr << "trivane-disk: " << Escaped(image) << ": no program " << Escaped(name)
              << " on the tape\n";
  }
  return out;
}

int ExtractTape(const ops::OpenedTape& t, const std::vector<std::string>& names,
                const std::string& folder, bool listings) {
  const std::vector<ops::TapeFile> files = ops::FilesOf(t.tape);
  std::vector<const ops::TapeFile*> chosen;
  for (const std::string& n : names) {
    const ops::TapeFile* f = FindTapeFile(files, n);
    if (f == nullptr) {
      std::cerr << "trivane-disk: " << Escaped(n) << ": no such program on the tape\n";
      return 1;
    }
    chosen.push_back(f);
  }
  if (names.empty())
    for (const ops::TapeFile& f : files) chosen.push_back(&f);
  std::vector<ops::TapeFile> picked;
  for (const ops::TapeFile* f : chosen) picked.push_back(*f);
  int status = 0;
  for (const ops::WrittenFile& w : ops::WriteTapeFiles(picked, PathFromUtf8(folder), listings)) {
    if (!w.why.empty()) {
      std::cerr << "trivane-disk: " << Escaped(Utf8Of(w.path)) << ": not written, " << w.why
                << "\n";
      status = 1;
    } else {
      std::cout << Escaped(Utf8Of(w.path)) << "\n";
    }
  }
  return status;
}

namespace {

// --baud and --rate as given, or their usual 0 (each program's own speed)
// and 22050; false on a value neither takes.
bool Speeds(const cli::Parsed& p, int& baud, int& rate) {
  baud = 0, rate = 22050;
  if (const auto b = p.Value("--baud")) {
    if (*b != "250" && *b != "500" && *b != "1500") return false;
    baud = std::stoi(*b);
  }
  if (const auto r = p.Value("--rate")) {
    if (*r != "22050" && *r != "44100") return false;
    rate = std::stoi(*r);
  }
  return true;
}

std::string ConvertOneTape(const std::string& in, const std::string& out, tape::Container to,
                           int baud, int rate, bool replace) {
  ops::OpenedTape t = ops::OpenTape(PathFromUtf8(in));
  if (!t.is_tape) return "not a tape (neither a CAS file nor a WAV recording)";
  if (!t.error.empty()) return t.error;
  for (tape::Program& program : t.tape.programs) {
    if (baud != 0) tape::SetBaud(program, baud);
  }
  return ops::WriteTape(PathFromUtf8(out), t.tape, to, rate, replace);
}

constexpr const char* kSpeeds = "--baud takes 250, 500 or 1500; --rate 22050 or 44100";

}  // namespace

int ConvertTape(const cli::Parsed& p) {
  const std::string& in = p.operands[0];
  const std::string& out = p.operands[1];
  tape::Container to = tape::Container::kCas;
  const auto word = p.Value("--to");
  if (word ? *word != "cas" && *word != "wav" : !ops::TapeContainerOf(PathFromUtf8(out), to))
    return UsageError("a tape converts to cas or wav (--to, or OUT's .cas or .wav)");
  if (word) to = *word == "cas" ? tape::Container::kCas : tape::Container::kWav;
  int baud = 0, rate = 0;
  if (!Speeds(p, baud, rate)) return UsageError(kSpeeds);
  std::error_code ec;
  if (std::filesystem::equivalent(PathFromUtf8(in), PathFromUtf8(out), ec)) {
    std::cerr << "trivane-disk: " << Escaped(out) << ": is IN itself\n";
    return 1;
  }
  const std::string why = ConvertOneTape(in, out, to, baud, rate, p.Has("--overwrite"));
  if (!why.empty()) {
    std::cerr << "trivane-disk: " << Escaped(out) << ": not written, " << why << "\n";
    return 1;
  }
  std::cout << Escaped(out) << ": written, read back and verified\n";
  return 0;
}

int ConvertTapes(const cli::Parsed& p, tape::Container to) {
  int baud = 0, rate = 0;
  if (!Speeds(p, baud, rate)) return UsageError(kSpeeds);
  return ConvertMany(p, to == tape::Container::kCas ? "cas" : "wav",
                     [=](const std::string& in, const std::string& out, std::vector<std::string>&) {
                       return ConvertOneTape(in, out, to, baud, rate, false);
                     });
}

int NewTape(const cli::Parsed& p) {
  const std::string& out = p.operands[0];
  const std::string disk = *p.Value("--from");
  tape::Container to = tape::Container::kCas;
  if (!ops::TapeContainerOf(PathFromUtf8(out), to))
    return UsageError("a tape's name ends .cas or .wav");
  int baud = 0, rate = 0;
  if (!Speeds(p, baud, rate)) return UsageError(kSpeeds);
  if (p.operands.size() < 2) return UsageError("new TAPE --from DISK takes the files' names");
  const ops::OpenedDos r = ops::OpenDos(PathFromUtf8(disk), *DriveNumber(p));
  if (!r.sectors.error.empty() || !r.known()) {
    std::cerr << "trivane-disk: " << Escaped(disk) << ": "
              << (r.sectors.error.empty() ? "no DOS directory was recognised" : r.sectors.error)
              << "\n";
    return 1;
  }
  tape::Tape t;
  for (std::size_t k = 1; k < p.operands.size(); ++k) {
    const std::optional<filesystems::Entry> e = r.fs->Find(p.operands[k], false);
    if (!e) {
      std::cerr << "trivane-disk: " << Escaped(disk) << ": no file " << Escaped(p.operands[k])
                << " on the disk\n";
      return 1;
    }
    const filesystems::FileBytes bytes = r.fs->Read(*e);
    ops::MadeProgram made = bytes.whole()
                                ? ops::ProgramOfFile(e->name, bytes.bytes, baud == 0 ? 500 : baud)
                                : ops::MadeProgram{{}, "it was not read whole"};
    if (!made.error.empty()) {
      std::cerr << "trivane-disk: " << e->name << ": not put on a tape, " << made.error << "\n";
      return 1;
    }
    t.programs.push_back(std::move(made.program));
  }
  if (const std::string why = ops::WriteTape(PathFromUtf8(out), t, to, rate, p.Has("--overwrite"));
      !why.empty()) {
    std::cerr << "trivane-disk: " << Escaped(out) << ": not written, " << why << "\n";
    return 1;
  }
  std::cout << Escaped(out) << ": written, read back and verified\n";
  return 0;
}

}  // namespace trivane::disktool
