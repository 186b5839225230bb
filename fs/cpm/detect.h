// Which parameters explain a disk as CP/M, and why. The published formats
// whose shape the disk has are tried first; when none explains it, a hunt
// through the reserved tracks, skews, directory sizes and block sizes. A
// reading counts only when its directory's entries are well formed (a
// tenth of them bad at most); of those, the one with the most entries
// whose blocks fit their records, then the most text files that end with
// their run of ^Z, then the most entries, then the table's, is kept.
#pragma once

#include <string>
#include <vector>

#include "disk/sector_store.h"
#include "fs/cpm/params.h"

namespace trivane::cpm {

struct Found {
  Params p;
  const FormatRow* row = nullptr;  // the published format of the parameters, if one
  std::vector<std::string> evidence;
  int score = 0;  // 0: no CP/M directory explains the disk
  // Another reading that explains the disk as well but lays files out
  // otherwise (empty when none): the disk may be read, not changed.
  std::string doubt;
  // The published formats in doubt by their words, the one chosen first:
  // what a user names with --format to settle it.
  std::vector<std::string> doubt_words;
};

// The disk's CP/M format, from the table or by hunting. `beat` is the score
// another unit's reading already has: where no table format passes it, a
// hunted reading whose directory could not pass it either (each of its
// file entries counting as one that fits) is not weighed, since the disk is
// that unit's whichever reading CP/M would choose.
Found Detect(const disk::SectorStore& store, int beat = 0);
// The disk read as the format a user named: found when its directory is
// well formed (or empty) under the format's parameters.
Found ReadAs(const disk::SectorStore& store, const FormatRow& row);

}  // namespace trivane::cpm
