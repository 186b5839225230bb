// Tapes among the images: a file opened as a tape when its content is one
// (a CAS file, a WAV recording), a program as the file a disk holds, disk
// files as programs of a tape, and a tape written, read back and verified.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "fs/filesystem.h"
#include "tape/tape.h"

namespace trivane::ops {

struct OpenedTape {
  std::string file;
  bool is_tape = false;  // the content is a tape's; else nothing more was read
  tape::Tape tape;
  std::string error;  // why it could not be read, or holds no program
};

// Whether the file's first bytes (64 KB) are a tape's: a CAS file's leader and
// sync, a WAV file's header.
bool IsTapeFile(const std::filesystem::path& path);
bool IsTapeBytes(std::span<const std::uint8_t> bytes);
// Reads the file as a tape when its first bytes say it is one.
OpenedTape OpenTape(const std::filesystem::path& path);
// The same of bytes already read whole (a zip member's), known as file.
OpenedTape OpenTapeOf(const std::string& file, const std::vector<std::uint8_t>& bytes);

// A program as a file of a disk: a SYSTEM program as a load module (its
// blocks as load records, its entry as the transfer record), BASIC as a
// disk BASIC file (FF and the program), EDTASM source as text (LF lines),
// other bytes as they are; its name as a host file ("GAME.CMD") and as a
// DOS's ("GAME/CMD"). A SYSTEM block whose checksum fails or that the tape
// cut is damage ("block 3"), its bytes as read.
struct TapeFile {
  std::string host_name, dos_name;
  std::vector<std::uint8_t> bytes;
  std::vector<filesystems::Damaged> damaged;
};
TapeFile FileOf(const tape::Program& p, std::size_t index);
std::vector<TapeFile> FilesOf(const tape::Tape& t);

// A program as listings show it: its kind's word, name, speed, blocks,
// checksum state ("good", "2 bad"), load range ("6000-66B8"), entry and
// size; the state, range and entry empty where the kind has none.
struct ProgramCells {
  std::string kind, name, baud, blocks, checksums, range, entry, size;
};
ProgramCells CellsOf(const tape::Program& p);

// Writes the files into the folder (made when missing) under host names
// made unique among them, a BASIC program's listing beside it when asked
// (NAME.BAS.txt), never over a file: each path, with why it was not written.
struct WrittenFile {
  std::filesystem::path path;
  std::string why;  // empty: written
};
std::vector<WrittenFile> WriteTapeFiles(const std::vector<TapeFile>& files,
                                        const std::filesystem::path& folder, bool listings);

// A disk file as a tape's program: a load module as a SYSTEM program, a
// tokenised BASIC program as BASIC; or why it cannot be one.
struct MadeProgram {
  tape::Program program;
  std::string error;
};
MadeProgram ProgramOfFile(const std::string& dos_name, const std::vector<std::uint8_t>& bytes,
                          int baud);

// The container a tape's file name asks for (".cas", ".wav"), false for none.
bool TapeContainerOf(const std::filesystem::path& path, tape::Container& container);

// Writes the tape as the container, reads it back and compares its
// programs' bytes, then puts it in place (never over a file unless
// replace); empty when done, else why not.
std::string WriteTape(const std::filesystem::path& path, const tape::Tape& t,
                      tape::Container container, int rate, bool replace);

}  // namespace trivane::ops
