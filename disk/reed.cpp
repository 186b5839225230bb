// The Reed container (layout in formats/reed.h): recognised by its first two
// bytes; every whole sector the file holds is a view into it, so a large
// image is read page by page as its sectors are asked for, never whole.
// Writing puts the data changed since into a copy of the image: the header
// and every other sector stay as they are.
#include "disk/reed.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "disk/container.h"
#include "formats/reed.h"

namespace trivane::disk {
namespace {

// What a disk read from a Reed image keeps: which drive of it the disk is
// (-1: the whole), a slice or (where run_cylinders) a run of cylinders.
// Every sector's data is the image's bytes at its offset.
class ReedState : public ContainerState {
 public:
  explicit ReedState(int slice, int run_cylinders = 0, int heads = 0)
      : slice(slice), run_cylinders(run_cylinders), heads(heads) {}
  std::vector<std::uint8_t> Data(const Disk& disk, const Sector& s) const override {
    std::vector<std::uint8_t> data(s.size);
    disk.image.Read(s.data_offset, data.data(), data.size());
    return data;
  }
  Check DataCrc(const Disk&, const Sector& s) const override { return s.data_crc; }
  const int slice;
  const int run_cylinders;
  const int heads;  // slices a drive of several takes, from `slice`; 0 for one
};

int SectorsPerCylinder(const ImageBuffer& image) {
  const int spc = image.at(reed::kSectorsPerCylinder);
  return spc == 0 ? 256 : spc;
}

Sector SectorAt(int cylinder, int id, Offset offset) {
  Sector s;
  s.data_offset = offset;
  s.cylinder = static_cast<std::uint16_t>(cylinder);
  s.id_cylinder = static_cast<std::uint8_t>(cylinder);
  s.id_sector = static_cast<std::uint8_t>(id);
  s.size_code = 1;
  s.size = reed::kSectorBytes;
  s.dam = 0xFB;
  s.density = Density::kDouble;
  return s;
}

std::string Two(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n % 100);
  return text;
}

// A drive of the hard disk, its sectors still to be given: views into the
// one image, with the hard disk's protection and problems.
Disk DriveShell(const Disk& hard_disk, std::shared_ptr<const ReedState> state) {
  Disk d;
  d.image = hard_disk.image;
  d.container = Container::kReed;
  d.write_protected = hard_disk.write_protected;
  d.cylinders = hard_disk.cylinders;
  d.heads = 1;
  d.problems = hard_disk.problems;
  d.written = hard_disk.written;
  d.state = std::move(state);
  return d;
}

}  // namespace

int RecogniseReed(const ImageBuffer& image) {
  return image.size() >= reed::kHeaderBytes && image.at(0) == reed::kMagic0 &&
                 image.at(1) == reed::kMagic1
             ? 90
             : 0;
}

void ReadReed(const ImageBuffer& image, Disk& disk, bool) {
  const Offset spc = SectorsPerCylinder(image);
  const Offset held = (image.size() - reed::kHeaderBytes) / reed::kSectorBytes;
  const Offset most = spc * reed::kMostFileCylinders;
  const Offset count = std::min(held, most);
  disk.state = std::make_shared<ReedState>(-1);
  disk.write_protected = image.at(reed::kFlags) & reed::kWriteProtected;
  disk.heads = 1;
  disk.cylinders = static_cast<int>((count + spc - 1) / spc);
  disk.sectors.reserve(static_cast<std::size_t>(count));
  for (Offset n = 0; n < count; ++n) {
    disk.sectors.push_back(SectorAt(static_cast<int>(n / spc), static_cast<int>(n % spc),
                                    reed::kHeaderBytes + n * reed::kSectorBytes));
  }
  if (held > most) {
    disk.problems.push_back("the file holds sectors past cylinder " +
                            std::to_string(reed::kMostFileCylinders - 1) +
                            ", which no hard-disk controller reaches");
  }
  if (count % spc != 0) {
    disk.problems.push_back("the file ends within cylinder " + std::to_string(count / spc) +
                            ": it holds " + std::to_string(count % spc) + " of its " +
                            std::to_string(spc) + " sectors");
  }
  if ((image.size() - reed::kHeaderBytes) % reed::kSectorBytes != 0) {
    disk.problems.push_back("the file ends within a sector, at byte " +
                            std::to_string(image.size()));
  }
}

Written WriteReed(const Disk& disk, const WriteOptions&) {
  Written w;
  if (disk.container != Container::kReed) {
    w.losses.push_back("a Reed hard-disk image is written from a hard disk only");
    return w;
  }
  w.bytes.resize(static_cast<std::size_t>(disk.image.size()));
  disk.image.Read(0, w.bytes.data(), w.bytes.size());
  for (const Sector& s : disk.sectors) {
    if (s.written < 0) continue;
    const std::vector<std::uint8_t>& data = disk.written[static_cast<std::size_t>(s.written)];
    std::copy(data.begin(), data.end(), w.bytes.begin() + s.data_offset);
  }
  return w;
}

ReedHeader ReedHeaderOf(const ImageBuffer& image) {
  ReedHeader h;
  h.version = image.at(reed::kVersion);
  h.check = image.at(reed::kCheck);
  h.made_by = image.at(reed::kMadeBy);
  h.system = image.at(reed::kSystem);
  h.month = image.at(reed::kDate);
  h.day = image.at(reed::kDate + 1);
  h.year = 1900 + image.at(reed::kDate + 2);
  h.cylinders = image.at(reed::kCylinders);
  h.sectors_per_cylinder = SectorsPerCylinder(image);
  h.granules_per_cylinder = image.at(reed::kGranulesPerCylinder);
  h.directory_cylinder = image.at(reed::kDirectoryCylinder);
  h.write_protected = image.at(reed::kFlags) & reed::kWriteProtected;
  for (int i = 0; i < reed::kNameBytes && image.at(reed::kName + i) != 0; ++i) {
    h.name += static_cast<char>(image.at(reed::kName + i));
  }
  return h;
}

std::string ReedSystemName(int system) {
  switch (system) {
    case reed::kLsdos:
      return "LS-DOS";
    case reed::kLdos:
      return "LDOS";
    case reed::kCpm:
      return "CP/M";
    case reed::kNewdos:
      return "NEWDOS/80";
    default:
      return "system " + std::to_string(system);
  }
}

std::vector<std::string> ReedHeaderLines(const Disk& hard_disk) {
  const ReedHeader h = ReedHeaderOf(hard_disk.image);
  std::string cylinders = std::to_string(h.cylinders) + " cylinders";
  if (h.cylinders != hard_disk.cylinders) {
    cylinders += " (the file holds " + std::to_string(hard_disk.cylinders) + ")";
  }
  return {"version " + HexByte(h.version) + ", check byte " + HexByte(h.check) +
              ", made by program " + HexByte(h.made_by),
          "system " + std::to_string(h.system) + ": " + ReedSystemName(h.system),
          "made " + Two(h.month) + "/" + Two(h.day) + "/" + std::to_string(h.year),
          cylinders + ", " + std::to_string(h.sectors_per_cylinder) + " sectors a cylinder, " +
              std::to_string(h.granules_per_cylinder) +
              " granules a cylinder, directory on cylinder " + std::to_string(h.directory_cylinder),
          "name \"" + h.name + "\"",
          h.write_protected ? "write-protected" : "writing allowed"};
}

int SliceCount(const Disk& hard_disk) {
  return SectorsPerCylinder(hard_disk.image) / reed::kSliceSectors;
}

Disk Slice(const Disk& hard_disk, int n) {
  Disk d = DriveShell(hard_disk, std::make_shared<ReedState>(n));
  const int first = n * reed::kSliceSectors;
  for (const Sector& s : hard_disk.sectors) {
    if (s.id_sector < first || s.id_sector >= first + reed::kSliceSectors) continue;
    d.sectors.push_back(s);
    d.sectors.back().id_sector = static_cast<std::uint8_t>(s.id_sector - first);
  }
  return d;
}

Disk Run(const Disk& hard_disk, int n, int cylinders) {
  Disk d = DriveShell(hard_disk, std::make_shared<ReedState>(n, cylinders));
  d.cylinders = cylinders;
  const int first = n * cylinders;
  for (const Sector& s : hard_disk.sectors) {
    if (s.cylinder < first || s.cylinder >= first + cylinders) continue;
    d.sectors.push_back(s);
    d.sectors.back().cylinder = static_cast<std::uint16_t>(s.cylinder - first);
    d.sectors.back().id_cylinder = static_cast<std::uint8_t>(s.cylinder - first);
  }
  return d;
}

Disk SliceHeads(const Disk& hard_disk, int first, int count) {
  Disk d = DriveShell(hard_disk, std::make_shared<ReedState>(first, 0, count));
  d.heads = count;
  for (const Sector& s : hard_disk.sectors) {
    const int slice = s.id_sector / reed::kSliceSectors - first;
    if (slice < 0 || slice >= count) continue;
    const int slot = s.id_sector % reed::kSliceSectors;
    d.sectors.push_back(s);
    Sector& x = d.sectors.back();
    x.head = x.id_head = static_cast<std::uint8_t>(slice);
    x.id_sector = static_cast<std::uint8_t>(slot == 0 ? reed::kSliceSectors : slot);
  }
  return d;
}

int SliceOf(const Disk& disk) {
  const auto* state = dynamic_cast<const ReedState*>(disk.state.get());
  return state == nullptr ? -1 : state->slice;
}

int RunCylinders(const Disk& disk) {
  const auto* state = dynamic_cast<const ReedState*>(disk.state.get());
  return state == nullptr ? 0 : state->run_cylinders;
}

std::vector<std::uint8_t> HardDiskSector(const Disk& disk, int cylinder, int sector) {
  if (disk.container != Container::kReed) return {};
  const Offset at =
      reed::kHeaderBytes +
      (Offset{cylinder} * SectorsPerCylinder(disk.image) + sector) * reed::kSectorBytes;
  if (cylinder < 0 || sector < 0 || at + reed::kSectorBytes > disk.image.size()) return {};
  std::vector<std::uint8_t> data(reed::kSectorBytes);
  disk.image.Read(at, data.data(), data.size());
  return data;
}

bool IsWholeHardDisk(const Disk& disk) {
  return disk.container == Container::kReed && SliceOf(disk) < 0;
}

Disk ReadBack(const Disk& before, const ImageBuffer& image) {
  Disk back = ReadDisk(image);
  const auto* state = dynamic_cast<const ReedState*>(before.state.get());
  if (state == nullptr || state->slice < 0 || back.container != Container::kReed) return back;
  if (state->heads > 0) return SliceHeads(back, state->slice, state->heads);
  if (state->run_cylinders > 0) return Run(back, state->slice, state->run_cylinders);
  return Slice(back, state->slice);
}

// The container's row (disk/container.h).
extern constexpr ContainerFormat kReedRow = {
    Container::kReed,
    "Reed",
    "hdv",
    "TRS-80 Reed hard-disk image",
    "a hard disk's 256-byte sectors, cylinder after cylinder, its logical drives slices of "
    "each cylinder; changed in place, never made from a floppy",
    "*.hdv",
    "application/x-trs80-reed-hard-disk",
    "*.hdv",
    "<match type=\"big16\" offset=\"0\" value=\"0x56cb\"/>",
    60,
    5,
    false,
    true,
    reed::kMostFileBytes,
    "header",
    RecogniseReed,
    ReadReed,
    WriteReed};

}  // namespace trivane::disk
