// Cassette tapes: a tape is the programs recorded one after another, each a
// leader, a sync byte and its bytes, at 500 or 250 baud (whole bytes) or
// 1500 baud (each byte after the sync with a 0 start bit before it). What
// the bytes after the sync hold:
//   SYSTEM  55, a six-character name (blank padded); blocks of 3C, a count
//           (0 for 256), the load address (low, high), the data and a
//           checksum (high + low + each data byte, mod 256); 78 and the
//           entry (low, high)
//   BASIC   D3 D3 D3, a one-character name, the tokenised program as in
//           memory (line link, line number, tokens, 00), ended by a link 00 00
//   EDTASM  D3, a six-character name, lines of five digits with bit 7 set,
//           a blank, the text and 0D; 1A ends the source
//   data    anything else, its bytes as they come
// A tape is read from a CAS file (the bytes as the tape carries them, from
// the leader on: cas.cpp) or a WAV recording (wav.cpp); damage is findings.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trivane::tape {

enum class Kind { kSystem, kBasic, kEdtasm, kData };
enum class Container { kCas, kWav };

// "system", "basic", "edtasm", "data"; "CAS", "WAV".
const char* KindWord(Kind kind);
const char* ContainerName(Container container);

struct Block {
  std::size_t offset = 0;  // where its 3C lies in the program's bytes
  int load = 0;
  std::vector<std::uint8_t> data;
  bool checksum_good = false;
  bool cut = false;  // the tape ended inside it
};

struct Program {
  int baud = 500;
  // The leader as recorded: its byte (00, or 55 at 1500 baud) and length,
  // and the sync byte (A5, 7F) after it; the bytes after the sync, each a
  // whole byte whatever the speed.
  std::uint8_t leader_byte = 0;
  int leader = 256;
  std::uint8_t sync = 0xA5;
  std::vector<std::uint8_t> bytes;
  // What the bytes are.
  Kind kind = Kind::kData;
  std::string name;  // without its padding blanks
  std::vector<Block> blocks;
  int entry = -1;  // SYSTEM: its entry address; -1 when the end record was not read
  // SYSTEM: the blocks' data in tape order; BASIC: the tokenised program
  // from the first line link to its 00 00 end mark; EDTASM: the source
  // lines before 1A; data: the bytes.
  std::vector<std::uint8_t> data;
  std::vector<std::string> findings;
  // Where the program starts in the recording: a byte of a CAS file, a
  // sample of a WAV.
  std::int64_t at = 0;

  int BadChecksums() const;
  // SYSTEM: the lowest and highest address its blocks load; -1 without blocks.
  int Load() const;
  int End() const;
};

struct Tape {
  Container container = Container::kCas;
  std::vector<Program> programs;
  std::vector<std::string> findings;  // of the tape as a whole
  std::string error;                  // why it holds no program
};

// The program the bytes after a sync hold: its kind, name, blocks, entry,
// data and findings (the bytes themselves are kept as they are).
void Parse(Program& p);

// A program made of bytes to be recorded: a SYSTEM program of load blocks
// (each at most 256 bytes) and an entry, or a BASIC program of its
// tokenised bytes (link to 00 00), with its name; at 500 baud, the leader
// 256 bytes of 00 (55 at 1500).
struct LoadBlock {
  int load = 0;
  std::vector<std::uint8_t> data;
};
Program SystemProgram(const std::string& name, const std::vector<LoadBlock>& blocks, int entry,
                      int baud = 500);
Program BasicProgram(const std::string& name, const std::vector<std::uint8_t>& tokenised,
                     int baud = 500);
// The program at another speed: its leader and sync as that speed writes them.
void SetBaud(Program& p, int baud);

// A tape container's row: its name, its file names, its MIME type (none
// for WAV, which the system's audio type names) and what it holds.
struct TapeFormat {
  Container kind;
  const char* name;
  const char* globs;
  const char* mime_type;  // "" for none of Trivane's own
  const char* description;
};
std::span<const TapeFormat> TapeFormats();

// CAS: recognised by a leader (00 or 55, eight bytes or more) from the
// file's first byte and the sync after it.
bool IsCas(std::span<const std::uint8_t> file);
Tape ReadCas(std::span<const std::uint8_t> file);
std::vector<std::uint8_t> WriteCas(const Tape& tape);

// WAV: a RIFF file of PCM samples, 8 or 16 bits, one or two channels.
bool IsWav(std::span<const std::uint8_t> file);
Tape ReadWav(std::span<const std::uint8_t> file);
// A clean recording at the rate (22050 or 44100), 8-bit mono, each program
// at its own speed, half a second of quiet before and between them.
std::vector<std::uint8_t> WriteWav(const Tape& tape, int rate = 22050);

// A tape of the file's bytes by content: CAS or WAV, or an error.
Tape ReadTape(std::span<const std::uint8_t> file);
bool IsTape(std::span<const std::uint8_t> file);

}  // namespace trivane::tape
