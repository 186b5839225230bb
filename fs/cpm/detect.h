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

Found Detect(const disk::SectorStore& store);
// The disk read as the format a user named: found when its directory is
// well formed (or empty) under the format's parameters.
Found ReadAs(const disk::SectorStore& store, const FormatRow& row);

}  // namespace trivane::cpm
