// What the contents window of a tape shows, the same in every front end: the
// programs table (columns and cells), the line over it, the findings under
// it, a program as the file its view window shows, and the texts of what
// came of extracting programs or saving the tape as CAS or WAV.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "fs/filesystem.h"
#include "ops/tapes.h"

namespace trivane::present {

// The headings of the programs table, and a cell of it.
std::vector<std::string> ProgramColumns();
std::string ProgramCell(const tape::Program& p, int column);
// Whether the column sorts by number (speed, blocks, size).
bool ProgramSortsByNumber(int column);

// "CAS tape, 2 programs, every checksum good" (or "3 bad checksums").
std::string TapeSummary(const tape::Tape& t);
// The tape's findings, then each program's, named by the program.
std::vector<std::string> TapeFindingsLines(const tape::Tape& t);

// A program as its view window shows it: the file a disk would hold (its
// bad blocks marked as damage), its host name (which tells the view) and
// the window's title.
struct ProgramFile {
  std::string name, title;
  filesystems::FileBytes bytes;
};
ProgramFile ProgramFileOf(const tape::Tape& t, std::size_t index);

// Writes the programs at the rows (all when none) into the folder as the
// files a disk would hold, never over a file; says what came of it ("2
// files written to GAMES; LA5.CMD not written, ...").
std::string ExtractPrograms(const tape::Tape& t, const std::vector<std::size_t>& rows,
                            const std::filesystem::path& folder);

// The save dialog's filter for the container: "CAS (*.cas)".
std::string TapeFilePattern(tape::Container to);

// Writes the tape as CAS or WAV into the file (a file there is replaced, the
// tape itself never), read back and verified; says what came of it.
std::string SaveTapeAs(const tape::Tape& t, const std::filesystem::path& tape_file,
                       const std::filesystem::path& out, tape::Container to);

}  // namespace trivane::present
