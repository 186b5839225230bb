// One filesystem on a disk, whichever family made it: how sure its unit is
// that the disk is its own and why, what it says of the disk, its files as
// entries (the fields every family has, the family's own as named values
// and as the fields of a JSON listing), the columns its listings show, a
// file's bytes as read, its findings, and its changes as made before they
// are proved. Each family is a unit of its own beside the others (the
// TRSDOS family in fs/trsdos/); the units are asked in turn
// (ops/filesystems.h) and the one whose evidence is best is kept.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk/disk.h"

namespace trivane::filesystems {

// A value as a JSON listing holds it: the family's own fields, nested as
// the family has them. Lists and objects hold their items in order (an
// object's with names).
struct Value {
  enum class Kind { kNull, kBool, kNumber, kText, kList, kObject };
  Kind kind = Kind::kNull;
  bool flag = false;
  std::int64_t number = 0;
  std::string text;
  std::vector<std::string> names;
  std::vector<Value> items;

  static Value Bool(bool b);
  static Value Number(std::int64_t n);
  static Value Text(std::string s);
  static Value TextOrNull(std::string s);  // null when empty
  static Value List();
  static Value Object();
  // Adds a member (an object) or an item (a list, name empty); for chaining.
  Value& Add(std::string name, Value v);
};

// A file's value as its family lists it ("lrl", "12"); a listing's columns
// name them.
struct Attribute {
  std::string name, value;
};

// A column of a listing: the entry's name ("name"), its size ("size") or
// one of its attributes; its heading; its width in a text listing (a
// negative one left-aligned, 0 as it comes); whether it sorts by number.
struct Column {
  std::string key, heading;
  int width = 0;
  bool number = false;
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
  // Its name as a file of the host, safe in any folder ("PROG.BAS").
  std::string host_name;
};

// The text of an entry's column (its name, size or attribute).
std::string CellOf(const Entry& entry, const std::string& key);
// A part of a host file's name made safe: anything that is not a letter, a
// digit or one of - _ $ # @ ! % & made "_" (so that a name on the disk
// never leads out of the folder), "_" for none.
std::string HostPart(std::string part);

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
  std::string place;          // "cylinder 3 head 0 sector 4"
  bool as_read;               // it failed a CRC and its bytes are as read; else zeros
  std::int64_t offset;        // where its bytes begin in the file
  std::int64_t length = 256;  // how many of the file's bytes it holds
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

// A new disk asked for: the DOS by its word ("ldos"), its format where it
// has several (empty: its usual), the shape (0: the DOS's usual; density
// 1 single, 2 double), the disk's name and date (MM/DD/YY), and the
// container it is to be written as; of a hard disk, its drives (0: one a
// head).
struct FormatRequest {
  std::string dos, format;
  int cylinders = 0, heads = 0, density = 0;
  std::string name, date;
  disk::Container container = disk::Container::kDmk;
  int drives = 0;
};

// A DOS a new disk may be made by: its word, its name as shown, and the
// format where the DOS has several ("omikron"; empty where it has one).
struct FormatChoice {
  std::string word, name, format;
};

// A new disk as a unit formats one (or why it does not), and what the disk
// must read back as once written: empty when it does, else what differs.
struct NewDisk {
  disk::Disk disk;
  std::string error;
  std::function<std::string(const disk::Disk& back)> check;
};

// A change refused before anything was changed.
Made Refused(const std::string& why);

class Filesystem;

// A change as made and proved by reading the disk back: the disk as changed
// and its image, with the filesystem the proof read back (for the next
// change), or why nothing changed; fault when the change did not read back
// as made.
struct Changed {
  disk::Disk disk;
  std::vector<std::uint8_t> bytes;
  std::string error;
  bool fault = false;
  std::shared_ptr<const Filesystem> filesystem;
};

class Filesystem {
 public:
  virtual ~Filesystem() = default;
  // How well the disk is explained (0: not at all), and why it is believed.
  virtual int Score() const = 0;
  virtual std::vector<std::string> Evidence() const = 0;
  // The family ("LDOS") and its version as the disk names it ("5.1", or
  // empty); Name() the two together.
  virtual std::string Family() const = 0;
  virtual std::string Version() const = 0;
  std::string Name() const;
  // What it says of the disk, each a part of a line ("disk \"GAMES\" dated
  // \"01/02/85\"", "96 of 120 granules free"); its JSON members (an object).
  virtual std::vector<std::string> Facts() const = 0;
  virtual Value Fields() const = 0;
  // The columns of the windows' files table and of a text listing.
  virtual std::vector<Column> TableColumns() const = 0;
  virtual std::vector<Column> ListingColumns() const = 0;
  // The cylinder its directory is on, for the sector picture; -1 for none.
  virtual int DirectoryCylinder() const = 0;
  // The cylinders kept for the system before the directory (CP/M's
  // reserved tracks), for the sector picture; none where the family keeps
  // its system as files.
  virtual int ReservedCylinders() const { return 0; }
  virtual std::vector<Entry> List(bool deleted) const = 0;
  // An entry's fields in a JSON listing, in the family's order (an object);
  // made when a listing asks, so that a text listing makes none.
  virtual Value EntryFields(const Entry& entry) const = 0;
  // A text file's bytes with LF line ends, read as the family ends its
  // lines and its text; here CR ends a line, as on the TRS-80.
  virtual std::vector<std::uint8_t> HostText(std::vector<std::uint8_t> bytes) const;
  // The entry a user's name means (any letter case, the family's forms);
  // deleted ones only when asked.
  virtual std::optional<Entry> Find(const std::string& typed, bool deleted) const = 0;
  virtual FileBytes Read(const Entry& entry) const = 0;
  // The name a typed one stands for as the family lists it ("PROG/BAS"
  // from "prog.bas"), empty when the text is none it takes; its names'
  // rule in words and their form ("NAME/EXT").
  virtual std::string ListedName(const std::string& typed) const = 0;
  virtual std::string NameRule() const = 0;
  virtual std::string NameForm() const = 0;
  // The findings, each on its own (none said together); as lines to read,
  // those the family says together said so.
  virtual std::vector<Finding> Check() const = 0;
  virtual std::vector<std::string> CheckLines() const = 0;
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

// Text whose lines end in CR LF (CP/M's, MS-DOS's) with LF line ends, up
// to its first ^Z.
std::vector<std::uint8_t> CrLfText(std::vector<std::uint8_t> bytes);

// Each finding as a line: "kind FILE: detail".
std::vector<std::string> FindingLines(const std::vector<Finding>& findings);

// A family whose disks are read, never changed: every change refused with
// the one reason.
class ReadOnlyFilesystem : public Filesystem {
 public:
  explicit ReadOnlyFilesystem(std::string why) : why_(std::move(why)) {}
  std::string WhyNotChangeable() const override { return why_; }
  Made Put(const std::string&, const std::vector<std::uint8_t>&, bool,
           const std::string&) const override {
    return Refused(why_);
  }
  Made Delete(const std::string&) const override { return Refused(why_); }
  Made Rename(const std::string&, const std::string&) const override { return Refused(why_); }

 private:
  std::string why_;
};

// Whether a file read so may be given out (written to the host, sent to
// standard output): an empty text when it was read whole and its listing
// says it is whole, or with force when anything of it was read; otherwise
// why not. A file whose allocation holds none of its sectors is never given
// out: none of its bytes are known.
std::string WhyNotGiven(const Entry& entry, const FileBytes& bytes, bool force);
// What force gives in place of each damaged part, one line each
// ("cylinder 3 head 0 sector 4: given as read, it failed its CRC").
std::vector<std::string> DamageLines(const FileBytes& bytes);

// Why no filesystem may change the disk: it was not read whole, or its
// image is write-protected; empty when nothing of the disk forbids it.
std::string DiskRefusal(const disk::Disk& disk);

}  // namespace trivane::filesystems
