// Load modules (/CMD and the like): a chain of records, each a type byte, a
// length byte and a body.
//   01 load block: address (2, little-endian), data (length - 2; lengths 0,
//      1, 2 stand for 256, 257, 258)
//   02 transfer address (2), ending the module; 03 end without one
//   05 module name, 06 PDS header, 07 patch name, 1F copyright: text
//   04 end of a PDS member, 08 ISAM entry, 0A end of ISAM directory, 0C PDS
//   entry, 0E end of PDS directory, 00 a comment; 10 a yanked block
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trivane::views {

struct Block {
  int address = 0;
  std::size_t offset = 0;  // where its data lies in the file
  int length = 0;
  bool yanked = false;
};

struct LoadModule {
  std::vector<Block> blocks;
  std::vector<std::string> notes;  // names, copyright, ISAM and PDS records, trailing bytes
  int transfer = -1;               // -1 when the module has none
  bool ended = false;              // a transfer or end record closed the chain
  std::string damage;              // what broke the chain, empty when none
};

LoadModule ReadLoadModule(const std::vector<std::uint8_t>& bytes);

// A CP/M program (.COM): its bytes loaded at 0100 and run from there, as one
// block with that transfer address.
LoadModule ComImage(const std::vector<std::uint8_t>& bytes);

// The load map: each block, the loaded ranges merged, overlaps, the
// transfer address, the notes.
std::vector<std::string> LoadMap(const LoadModule& m);

// The loaded blocks disassembled from the transfer address, following
// jumps and calls inside what was loaded; what is not reached as code is
// listed as data. Jump targets inside the loaded range get labels.
std::vector<std::string> Disassembly(const LoadModule& m, const std::vector<std::uint8_t>& bytes);

}  // namespace trivane::views
