// Every sector of an image of any container (each one's row in container.h), as a disk
// controller would have read it: where it lies, its ID field, its density and data address mark,
// whether its CRCs held, and where its data is. The container is decided by content alone (each
// recogniser's header, boot bytes or signature), so this reader also reads images that
// identification refuses. It never reads outside the image: damage is reported in the result.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/image_buffer.h"
#include "formats/text.h"

namespace trivane::disk {

enum class Container { kNone, kJv1, kJv3, kDmk, kHfe, kImd, kReed, kScp, kKryoFlux };
enum class Density : std::uint8_t { kSingle, kDouble };
// A CRC the container keeps and that held, that failed, or none kept; or a
// data CRC not checked yet (see ReadDisk).
enum class Check : std::uint8_t { kNotKept, kGood, kBad, kUnchecked };

struct Sector {
  Offset data_offset = -1;     // the file offset of the first data byte; -1 without data
  std::uint16_t cylinder = 0;  // the physical place, where the container puts it
  std::uint8_t head = 0;
  std::uint8_t id_cylinder = 0;  // the ID field
  std::uint8_t id_head = 0;
  std::uint8_t id_sector = 0;
  std::uint8_t size_code = 0;
  std::uint8_t dam = 0;    // the data address mark, 0 when no data was found
  std::uint16_t size = 0;  // bytes of data
  Density density = Density::kSingle;
  Check id_crc = Check::kNotKept;
  Check data_crc = Check::kNotKept;
  // Data put into the disk after it was read (or made in memory): its index
  // in Disk::written, -1 when the data is the image's.
  std::int32_t written = -1;

  bool has_data() const { return data_offset >= 0; }
};

struct Disk;

// What a container keeps of the image it read, for sectors whose data is
// not a plain run of the image's bytes (a DMK's doubled single-density
// bytes, a field round its track's end): their data and late-checked CRC
// come from it. Only the container that made it knows what it holds.
class ContainerState {
 public:
  virtual ~ContainerState() = default;
  virtual std::vector<std::uint8_t> Data(const Disk& disk, const Sector& s) const = 0;
  virtual Check DataCrc(const Disk& disk, const Sector& s) const = 0;
};

// A disk stands alone: it holds the image its sectors were read from (a
// copy of a buffer shares its bytes), so that everything read of it needs
// the disk only; data put into its sectors since, or every sector's data of
// a disk made in memory, it owns.
struct Disk {
  ImageBuffer image;
  Container container = Container::kNone;
  bool write_protected = false;  // the container's flag
  std::string error;             // why there are no sectors: not an image, a real-drive DMK
  int cylinders = 0;
  int heads = 0;
  std::vector<Sector> sectors;  // in file order
  // Damage found while reading: bad pointers, truncation, impossible sizes.
  std::vector<std::string> problems;

  // A sector's data is a view into the image at its offset, or, where the
  // container keeps a state, read through it; or owned here once written.
  std::shared_ptr<const ContainerState> state;
  std::vector<std::vector<std::uint8_t>> written;  // see Sector::written
};

// The ID field's size code of a sector of that many bytes (128 << code).
std::uint8_t SizeCodeOf(int size);

// Reads every sector of the image, and keeps the image. Without check_data,
// DMK data CRCs are left kUnchecked, for a reader that needs only a few
// sectors' (DataCrc).
Disk ReadDisk(const ImageBuffer& image, bool check_data = true);

// The sector's data CRC, checked now if it was left unchecked.
Check DataCrc(const Disk& disk, const Sector& sector);

// The sector's data as the controller would deliver it, undoubled and
// unwrapped; empty when it has none.
std::vector<std::uint8_t> SectorData(const Disk& disk, const Sector& sector);

// Puts the data into the disk's sector `index`: its data CRC then holds.
void PutSectorData(Disk& disk, std::size_t index, std::span<const std::uint8_t> data);

// How many of the disk's sectors are of each kind.
struct Counts {
  int total = 0, single_density = 0, id_crc_errors = 0, data_crc_errors = 0, without_data = 0;
};
Counts CountSectors(const Disk& disk);

// The container's name as its row gives it ("DMK"), or "" for none.
const char* ContainerName(Container container);

}  // namespace trivane::disk
