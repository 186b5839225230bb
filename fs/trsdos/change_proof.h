// The proof every change passes before it is kept (fs/trsfs/trsdos/change.h).
#pragma once

#include <string>
#include <vector>

#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/change.h"

namespace trivane::trsdos {

struct Expect {
  enum Kind { kPut, kReplaced, kDeleted, kRenamed } kind;
  int old_dec;                     // the entry changed (-1 for a new file)
  std::string new_name;            // NAME/EXT as listed
  std::vector<std::uint8_t> data;  // what a put file must read back as
};

// Writes the changed disk in its own container and reads it back: the file
// as expected, every other file, its entry and bytes as before, no finding
// of a kind there was less of before. The changed disk and its bytes, or
// the error (a fault when something read back otherwise).
Changed Prove(const disk::Disk& before, const Catalogue& listed, disk::Disk changed,
              const Expect& expect);

}  // namespace trivane::trsdos
