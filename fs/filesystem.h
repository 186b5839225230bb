// One filesystem on a disk, whichever family made it: how sure its unit is
// that the disk is its own and why, its files as entries (the fields every
// family has, the family's own as named values), a file's bytes as read,
// its findings. Each family is a unit of its own beside the others (the
// TRSDOS family in fs/trsdos/); the units are asked in turn (ops/filesystems.h)
// and the one whose evidence is best is kept.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk/disk.h"

namespace trivane::filesystems {

struct Attribute {
  std::string name, value;
};

struct Entry {
  std::string name;  // as a user types it ("PROG/BAS")
  std::int64_t size = 0;
  bool complete = true;  // every byte of it could be read
  bool deleted = false;
  std::vector<Attribute> attributes;  // the family's own, in the order it lists them
  std::size_t id = 0;                 // the unit's own handle
};

// A file's bytes as read. A sector that failed its CRC gives its bytes as
// read, a missing one zeros; `unreadable` says which. Where the file's
// allocation holds less than its size, the bytes end where it ends and
// `missing` counts the bytes not there.
struct Damaged {
  std::string place;    // "cylinder 3 head 0 sector 4"
  bool as_read;         // it failed a CRC and its bytes are as read; else zeros
  std::int64_t offset;  // where its 256 bytes begin in the file
};
struct FileBytes {
  std::vector<std::uint8_t> bytes;
  std::vector<Damaged> unreadable;
  std::int64_t missing = 0;
  bool whole() const { return unreadable.empty() && missing == 0; }
};

// A change as made and proved by reading the disk back: the disk as changed
// (for the next change) and its image, or why nothing changed; fault when
// the change did not read back as made.
struct Changed {
  disk::Disk disk;
  std::vector<std::uint8_t> bytes;
  std::string error;
  bool fault = false;
};

class Filesystem {
 public:
  virtual ~Filesystem() = default;
  // How well the disk is explained (0: not at all), and why it is believed.
  virtual int Score() const = 0;
  virtual std::vector<std::string> Evidence() const = 0;
  // "LDOS 5.1": the family and its version.
  virtual std::string Name() const = 0;
  virtual std::vector<Entry> List(bool deleted) const = 0;
  // The entry a user's name means (any letter case, the family's forms);
  // deleted ones only when asked.
  virtual std::optional<Entry> Find(const std::string& typed, bool deleted) const = 0;
  virtual FileBytes Read(const Entry& entry) const = 0;
  // The findings, a line each ("granule-twice FILE/CMD: ...").
  virtual std::vector<std::string> Check() const = 0;
  // Changes as the family's DOS makes them, by the names as typed; a file
  // of the name put there only when replace.
  virtual Changed Put(const std::string& name, const std::vector<std::uint8_t>& bytes, bool replace,
                      const std::string& date) const = 0;
  virtual Changed Delete(const std::string& name) const = 0;
  virtual Changed Rename(const std::string& name, const std::string& to) const = 0;
};

// Whether a file read so may be given out (written to the host, sent to
// standard output): an empty text when it was read whole, or with force when
// anything of it was read; otherwise why not. A file whose allocation holds
// none of its sectors is never given out: none of its bytes are known.
std::string WhyNotGiven(std::int64_t size, const FileBytes& bytes, bool force);
// What force gives in place of each damaged part, one line each
// ("cylinder 3 head 0 sector 4: given as read, it failed its CRC").
std::vector<std::string> DamageLines(const FileBytes& bytes);

}  // namespace trivane::filesystems
