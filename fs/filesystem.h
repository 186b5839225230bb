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
  std::size_t id = 0;                 // the unit's own handle in this reading
  // Where the entry lives in the directory (TRSDOS: its DEC): the same
  // before and after a change that leaves the entry alone.
  std::int64_t key = 0;
  // The directory itself as a file (DIR/SYS): its bytes change with every change.
  bool directory = false;
};

// One finding of a check ("granule-twice", "FILE/CMD", "granule 6 is also
// DANCE/CMD's"); file empty when it is about the disk.
struct Finding {
  std::string kind, file, detail;
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

// A change as a unit made it, not yet proved (ops/prove.h): the disk as
// changed, or why nothing changed; and what it must read back as.
struct Made {
  enum Kind { kPut, kReplaced, kDeleted, kRenamed } kind = kPut;
  std::int64_t key = -1;           // the changed entry's key (-1: a new file)
  std::string name;                // the file's name as listed after the change
  std::vector<std::uint8_t> data;  // what a put file must read back as
  disk::Disk disk;
  std::string error;
};

// A change refused before anything was changed.
Made Refused(const std::string& why);

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
  // "LDOS 5.1": the family and its version; Family() the family alone.
  virtual std::string Name() const = 0;
  virtual std::string Family() const = 0;
  virtual std::vector<Entry> List(bool deleted) const = 0;
  // The entry a user's name means (any letter case, the family's forms);
  // deleted ones only when asked.
  virtual std::optional<Entry> Find(const std::string& typed, bool deleted) const = 0;
  virtual FileBytes Read(const Entry& entry) const = 0;
  // The findings, each on its own (none said together).
  virtual std::vector<Finding> Check() const = 0;
  // Why the disk may not be changed at all (a write-protected image, a
  // directory in doubt); empty when it may.
  virtual std::string WhyNotChangeable() const = 0;
  // Changes as the family's DOS makes them, by the names as typed; a file
  // of the name put there only when replace. Made, not proved: ops/prove.h
  // proves them.
  virtual Made Put(const std::string& name, const std::vector<std::uint8_t>& bytes, bool replace,
                   const std::string& date) const = 0;
  virtual Made Delete(const std::string& name) const = 0;
  virtual Made Rename(const std::string& name, const std::string& to) const = 0;
};

// Whether a file read so may be given out (written to the host, sent to
// standard output): an empty text when it was read whole, or with force when
// anything of it was read; otherwise why not. A file whose allocation holds
// none of its sectors is never given out: none of its bytes are known.
std::string WhyNotGiven(std::int64_t size, const FileBytes& bytes, bool force);
// What force gives in place of each damaged part, one line each
// ("cylinder 3 head 0 sector 4: given as read, it failed its CRC").
std::vector<std::string> DamageLines(const FileBytes& bytes);

// Why no filesystem may change the disk: it was not read whole, or its
// image is write-protected; empty when nothing of the disk forbids it.
std::string DiskRefusal(const disk::Disk& disk);

}  // namespace trivane::filesystems
