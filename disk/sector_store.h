// The disk's sectors by place, as a DOS reaches them: of two copies of a
// place, the first whose CRCs held, else the first. One store serves
// everything read of one disk; each sector's data CRC is checked once, when
// first asked for. A store made over a disk it may change also puts new data
// into a sector, as a controller's Write Sector does. The disk must outlive
// the store and stay where it is.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

// A sector's place: its physical cylinder and head, and its id.
struct Place {
  int cylinder = 0, head = 0, sector = 0;
};

// "cylinder 3 head 0 sector 4", as listings and findings name a place.
std::string PlaceText(Place p);

// A sector as read: its data (empty when there is none at the place),
// whether it failed a CRC, and the sector itself (nullptr when none).
struct SectorRead {
  std::vector<std::uint8_t> data;
  bool crc_error = false;
  const Sector* sector = nullptr;
};

class SectorStore {
 public:
  explicit SectorStore(const Disk& disk);
  // A store that may also put data into the disk's sectors.
  explicit SectorStore(Disk& disk);

  SectorRead Get(Place p) const;
  // Writes the data into the sector at the place: its data CRC then holds.
  // False, the disk unchanged, when the store only reads, there is no
  // sector with data there, its ID fails its CRC, or the data is not of the
  // sector's size.
  bool Put(Place p, std::span<const std::uint8_t> data);

  // The sector at the place, nullptr when there is none.
  const Sector* At(Place p) const;
  // True when the sector failed its ID or data CRC.
  bool Failed(const Sector& s) const;
  const Disk& disk() const { return disk_; }

 private:
  bool Readable(std::uint32_t index) const;

  const Disk& disk_;
  Disk* writable_ = nullptr;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> keys_;  // place, sector index
  mutable std::vector<Check> data_crc_;  // by sector index, kUnchecked until asked
};

// A disk and its store, made once and shared: every filesystem unit asked
// of one disk reads the same sectors through the same store (each data CRC
// checked once for all), and the reading kept holds them alive. Made from
// a disk, which is copied once; not explicit, so that a disk stands where
// a shared one is asked for.
class SharedDisk {
 public:
  SharedDisk(const Disk& disk) : held_(std::make_shared<const Held>(disk)) {}
  const Disk& disk() const { return held_->disk; }
  const SectorStore& store() const { return held_->store; }

 private:
  struct Held {
    explicit Held(const Disk& d) : disk(d), store(disk) {}
    Disk disk;
    SectorStore store;
  };
  std::shared_ptr<const Held> held_;
};

}  // namespace trivane::disk
