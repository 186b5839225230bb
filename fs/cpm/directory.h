// A CP/M directory read through one set of parameters. Each 32-byte entry:
// byte 0 the user (0-15; E5 free or deleted; 20 a CP/M 3 label, 21 date
// stamps), 1-8 and 9-11 the name and type (bit 7 of the type's bytes: read
// only, system, archived), 12 EX, 14 S2 (the extent number is S2 x 32 +
// EX), 15 RC (records in the last extent), 16-31 block numbers (16 of one
// byte, or 8 of two when the disk has more than 256 blocks). A file is its
// entries of one user and name, in extent order; its records are its last
// entry's extent number x 128 + RC.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/cpm/volume.h"
#include "fs/filesystem.h"

namespace trivane::cpm {

struct Extent {
  int slot = 0;             // the entry's place in the directory
  int number = 0;           // S2 x 32 + EX: the last logical extent it holds
  int first = 0;            // the first logical extent it holds
  int records = 0;          // records in its logical extents: (EX & EXM) x 128 + RC
  std::vector<int> blocks;  // its block numbers, in order, none zero
};

struct File {
  int user = 0;            // deleted files: 0, their user byte being E5
  std::string name, type;  // bit 7 masked, blanks trimmed
  bool read_only = false, system = false, archived = false;
  bool deleted = false;
  std::vector<Extent> extents;  // by number
  std::int64_t records = 0;
  bool complete = true;       // every record it holds is there and readable
  std::string Shown() const;  // "NAME.TYP", "3:NAME.TYP"
  std::string Host() const;   // "NAME.TYP", "user3/NAME.TYP"
};

// What the directory's slots are, as detection counts them.
struct Tally {
  int files = 0;        // entries of live files, well formed
  int bad = 0;          // entries that are no entry CP/M writes
  int fit = 0;          // live entries whose block count fits their records exactly
  int used = 0;         // slots not free
  int deleted_fit = 0;  // deleted entries whose block count fits their records
  // Never-used slots (every byte E5) before a used one: CP/M fills its
  // directory in order, so a reading with such gaps has the wrong skew.
  int gaps = 0;
};

enum class Slot { kFree, kFile, kDeleted, kLabel, kStamps, kBad };

// What the slot holds.
Slot KindOf(const std::uint8_t* e);
// An entry's fields: its k-th block number (0: none), the records its
// logical extents hold ((EX & EXM) x 128 + RC), its extent number (S2 x 32
// + EX), and its block numbers, none zero.
int BlockAt(const std::uint8_t* e, const Params& p, int k);
int RecordsOf(const std::uint8_t* e, const Params& p);
int ExtentNumber(const std::uint8_t* e);
std::vector<int> Pointers(const std::uint8_t* e, const Params& p);
// Whether a live entry's blocks are as many as its records need, each
// inside the data area and past the directory.
bool Fits(const std::uint8_t* e, const Params& p);
Tally Count(const std::vector<std::uint8_t>& directory, const Params& p);
// Each slot's kind, and whether it was never used (every byte E5): the same
// for every reading of one directory's bytes, so that a hunt weighing many
// sizes of one directory looks at each slot once.
struct Slots {
  std::vector<Slot> kinds;
  std::vector<bool> never_used;
};
Slots SlotsOf(const std::vector<std::uint8_t>& directory);
Tally Count(const Slots& slots, const std::vector<std::uint8_t>& directory, const Params& p);

struct Directory {
  std::vector<File> files, deleted;
  std::vector<filesystems::Finding> findings;
  std::string label;    // a CP/M 3 disk label, or empty
  int blocks_used = 0;  // the directory's and the live files'
  Tally tally;
};

Directory ReadDirectory(const Volume& v);

// The file's bytes: its records, block by block, cut to its records; a
// missing extent as zeros, noted.
filesystems::FileBytes ReadFile(const Volume& v, const File& f);

}  // namespace trivane::cpm
