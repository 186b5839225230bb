// The contents window of a tape, for every front end (tape_contents.h).
#include "present/tape_contents.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "formats/text.h"

namespace trivane::present {
namespace {

constexpr std::array<const char*, 8> kProgramColumns = {"Kind",      "Name", "Baud",  "Blocks",
                                                        "Checksums", "Load", "Entry", "Size"};

std::string Counted(std::size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::vector<std::string> ProgramColumns() {
  return {kProgramColumns.begin(), kProgramColumns.end()};
}

std::string ProgramCell(const tape::Program& p, int column) {
  const ops::ProgramCells c = ops::CellsOf(p);
  const std::array<const std::string*, kProgramColumns.size()> cells = {
      &c.kind, &c.name, &c.baud, &c.blocks, &c.checksums, &c.range, &c.entry, &c.size};
  if (column < 0 || column >= static_cast<int>(cells.size())) return {};
  return *cells[static_cast<std::size_t>(column)];
}

bool ProgramSortsByNumber(int column) {
  return column == 2 || column == 3 || column == 7;
}

std::string TapeSummary(const tape::Tape& t) {
  int bad = 0;
  for (const tape::Program& p : t.programs) bad += p.BadChecksums();
  return std::string(tape::ContainerName(t.container)) + " tape, " +
         Counted(t.programs.size(), "program", "programs") + ", " +
         (bad == 0 ? "every checksum good"
                   : Counted(static_cast<std::size_t>(bad), "bad checksum", "bad checksums"));
}

std::vector<std::string> TapeFindingsLines(const tape::Tape& t) {
  std::vector<std::string> lines = t.findings;
  for (const tape::Program& p : t.programs) {
    for (const std::string& f : p.findings) lines.push_back(p.name + ": " + f);
  }
  return lines;
}

ProgramFile ProgramFileOf(const tape::Tape& t, std::size_t index) {
  if (index >= t.programs.size()) return {};
  ops::TapeFile f = ops::FileOf(t.programs[index], index);
  ProgramFile out{f.host_name, f.dos_name, {std::move(f.bytes), std::move(f.damaged), 0}};
  return out;
}

std::string ExtractPrograms(const tape::Tape& t, const std::vector<std::size_t>& rows,
                            const std::filesystem::path& folder) {
  std::vector<ops::TapeFile> files;
  for (std::size_t k = 0; k < t.programs.size(); ++k) {
    if (rows.empty() || std::find(rows.begin(), rows.end(), k) != rows.end())
      files.push_back(ops::FileOf(t.programs[k], k));
  }
  std::size_t written = 0;
  std::string failures;
  for (const ops::WrittenFile& w : ops::WriteTapeFiles(files, folder, false)) {
    if (w.why.empty()) ++written;
    if (!w.why.empty()) failures += "; " + Utf8Of(w.path.filename()) + " not written, " + w.why;
  }
  return Counted(written, "file", "files") + " written to " + Utf8Of(folder) + failures;
}

std::string TapeFilePattern(tape::Container to) {
  for (const tape::TapeFormat& f : tape::TapeFormats()) {
    if (f.kind == to) return std::string(f.name) + " (" + f.globs + ")";
  }
  return {};
}

std::string SaveTapeAs(const tape::Tape& t, const std::filesystem::path& tape_file,
                       const std::filesystem::path& out, tape::Container to) {
  std::error_code ec;
  if (std::filesystem::equivalent(out, tape_file, ec))
    return "Not saved: the tape itself is never written over";
  const std::string error = ops::WriteTape(out, t, to, 22050, true);
  if (!error.empty()) return "Not saved: " + error;
  return "Saved as " + Utf8Of(out.filename()) + " (" + tape::ContainerName(to) +
         "), read back and verified";
}

}  // namespace trivane::present
