// What is on a disk: which DOS made it and why that is believed, its
// directory, and the bytes of each file. Read on top of the sector reader;
// damage is reported as findings and never stops the listing.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "disk/disk.h"
#include "disk/sector_store.h"
#include "fs/filesystem.h"
#include "fs/trsdos/layout.h"

namespace trivane::trsdos {

enum class Family {
  kUnknown,
  kNewdos80,
  kGdos,
  kTrsdos23,
  kLdos,
  kLsdos,
  kDosplus,
  kMultidos,
  kTrsdos13
};

struct Extent {
  std::uint8_t raw[2] = {0, 0};
  int first_granule = 0;
  int granules = 0;
};

struct File {
  std::string name, ext;  // blanks trimmed
  int dec = 0;            // the entry's directory entry code
  int attributes = 0;
  bool system = false, invisible = false, pds = false;
  int protection = 0;
  int lrl = 0;  // logical record length, 256 for 0
  int eof = 0;
  int ern = 0;
  std::int64_t size = 0;
  std::string date;  // "YYYY-MM-DD", "YYYY-MM" or empty
  std::vector<Extent> extents;
  // The DECs of its entry and the extended entries its extents were read
  // from, in link order: what a delete or rename of it changes.
  std::vector<int> entries;
  bool complete = true;  // every sector of it could be read
  std::int64_t SectorsNeeded() const { return (size + 255) / 256; }
  std::string Shown() const { return ext.empty() ? name : name + "/" + ext; }
};

struct Finding {
  std::string kind;  // hit-mismatch, granule-twice, extent-outside, ...
  std::string file;  // NAME/EXT, or empty
  std::string detail;
  // A finding about one granule: the granule, and the file that also
  // claims it (granule-twice), so that a listing can say them together.
  int granule = -1;
  std::string other;
};

// The findings as lines to read ("granule-twice FILE/CMD: granules 6, 7, 8
// are also DANCE/CMD's"): those of one file and kind about single granules
// said together, in the order of their first; the others one a line.
std::vector<std::string> FindingLines(const std::vector<Finding>& findings);

struct Catalogue {
  Family family = Family::kUnknown;
  std::string version;  // empty when the disk names none
  std::vector<std::string> evidence;
  int score = 0;  // how well the directory explains the disk; 0 not at all
  std::string disk_name, disk_date;
  int granules_total = 0, granules_free = 0;
  std::vector<File> files, deleted;
  std::vector<Finding> findings;
  Layout layout;

  // True when the file is one of the deleted ones.
  bool IsDeleted(const File* file) const {
    return file >= deleted.data() && file < deleted.data() + deleted.size();
  }
};

// Decides the DOS and reads its directory; Family::kUnknown with the
// evidence of what was looked at when no layout explains the disk.
Catalogue ReadCatalogue(const disk::SectorStore& sectors);
Catalogue ReadCatalogue(const disk::Disk& disk);
// How many catalogues this process has read so far, by any thread: what a
// change costs is counted by it.
std::int64_t CataloguesRead();

// The file a user's name means, for reading and changing alike: NAME/EXT,
// NAME.EXT or NAME:d, in any letter case, the first of two of one name;
// nullptr when there is none (deleted files only with all).
const File* FindFile(const Catalogue& c, const std::string& name, bool all);

// A file's bytes by its extents, cut to its size (fs/filesystem.h).
using filesystems::Damaged;
using filesystems::FileBytes;
FileBytes ReadFile(const disk::SectorStore& sectors, const Catalogue& catalogue, const File& file);
FileBytes ReadFile(const disk::Disk& disk, const Catalogue& catalogue, const File& file);

const char* FamilyName(Family family);
// As the listings show them: "SIP5" (system, invisible, partitioned, each
// "-" when not, then the protection level); "12+4 20+1" (first granule and
// count of each extent).
std::string AttributesText(const File& file);
std::string ExtentsText(const File& file);

// The name hash of the hash index table: each of the 11 bytes (name and
// extension, blank-padded) XORed in, then the byte rotated left; 0 gives 1.
std::uint8_t NameHash(const std::uint8_t* name11);

}  // namespace trivane::trsdos
