// LDOS's FORMAT of a hard disk, as the real FreHD image's empty drive shows
// it: a Reed image whose every head's track is a drive (as many drives as
// asked, from head 0), each drive's directory on the middle cylinder with
// 8 granules of 4 sectors a track; its GAT gives out the boot granule, all
// of cylinder 1 and the directory cylinder, one byte a cylinder up to its
// version byte; BOOT/SYS and DIR/SYS; the driver's bytes at +F5..+FF.
// Sectors no DOS wrote hold the formatter's 6D B6; cylinder 1 holds E5.
#include <algorithm>
#include <cctype>

#include "disk/reed.h"
#include "disk/sector_store.h"
#include "formats/reed.h"
#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/directory_bytes.h"
#include "fs/trsdos/format.h"
#include "fs/trsdos/format_tracks.h"

namespace trivane::trsdos {
namespace {

constexpr int kGranules = 8, kMaxCylinders = kGatVersion, kMinCylinders = 36;

std::string Refusal(const NewDiskRequest& q, int drives) {
  if (q.dos != Family::kLdos) return "hard disks are made for LDOS only";
  if (q.cylinders < kMinCylinders || q.cylinders > kMaxCylinders) {
    return "an LDOS hard disk has " + std::to_string(kMinCylinders) + " to " +
           std::to_string(kMaxCylinders) + " cylinders";
  }
  if (q.heads < 1 || q.heads > 8) return "a hard disk has 1 to 8 heads";
  if (drives < 1 || drives > q.heads) return "a hard disk has 1 drive to one a head";
  // Each drive is named by the disk's name and its letter.
  return NameAndDateRefusal(q, 7);
}

int Field(const std::string& date, int at) {
  return (date[static_cast<std::size_t>(at)] - '0') * 10 + date[static_cast<std::size_t>(at) + 1] -
         '0';
}

// The header, and every sector filled as the formatter leaves it.
Bytes BlankImage(const NewDiskRequest& q, const std::string& name) {
  const int spc = q.heads * reed::kSliceSectors;
  Bytes b(reed::kHeaderBytes + static_cast<std::size_t>(q.cylinders * spc) * kSectorBytes);
  for (std::size_t i = reed::kHeaderBytes; i < b.size(); i += 2) {
    b[i] = 0x6D;
    b[i + 1] = 0xB6;
  }
  // Bytes 2 to 10 as the real image has them (version 10, its check byte),
  // byte 5 its heads.
  const std::uint8_t lead[] = {reed::kMagic0, reed::kMagic1, 0x10, 0x67, 0x01, 0x04, 0, 0, 0x01, 0,
                               0x42};
  std::copy(std::begin(lead), std::end(lead), b.begin());
  b[5] = static_cast<std::uint8_t>(q.heads);
  b[reed::kSystem] = reed::kLdos;
  b[reed::kDate] = static_cast<std::uint8_t>(Field(q.date, 0));
  b[reed::kDate + 1] = static_cast<std::uint8_t>(Field(q.date, 3));
  b[reed::kDate + 2] =
      static_cast<std::uint8_t>(Field(q.date, 6) + (Field(q.date, 6) < 70 ? 100 : 0));
  b[reed::kCylinders] = static_cast<std::uint8_t>(q.cylinders);
  b[reed::kSectorsPerCylinder] = static_cast<std::uint8_t>(spc);
  b[reed::kGranulesPerCylinder] = kGranules;
  b[reed::kDirectoryCylinder] = static_cast<std::uint8_t>(q.cylinders / 2);
  std::copy(name.begin(), name.end(), b.begin() + reed::kName);
  return b;
}

Layout DriveLayout(int cylinders) {
  Layout l;
  l.cylinders = cylinders;
  l.spt = reed::kSliceSectors;
  l.dir_cylinder = cylinders / 2;
  l.granules_per_track = kGranules;
  l.sectors_per_granule = reed::kSliceSectors / kGranules;
  l.dir_sectors = reed::kSliceSectors;
  l.gat_end = kGatVersion;
  return l;
}

// The GAT's allocation, the DOS's bytes, name and date, the driver's bytes.
void PutHardGat(Bytes& gat, const Layout& l, int drive, const std::string& name,
                const std::string& date) {
  std::fill(gat.begin(), gat.end(), 0);
  for (int c = 0; c < kGatVersion; ++c) {
    const bool used = c >= l.cylinders || c == 1 || c == l.dir_cylinder;
    gat[static_cast<std::size_t>(c)] = used ? 0xFF : c == 0 ? 0x01 : 0x00;
  }
  const std::uint8_t dos[] = {0x53, static_cast<std::uint8_t>(l.cylinders - 35), 0x0F, 0xE0, 0x42};
  std::copy(std::begin(dos), std::end(dos), gat.begin() + kGatVersion);
  std::copy(name.begin(), name.end(), gat.begin() + kGatName);
  std::fill(gat.begin() + kGatName + static_cast<long>(name.size()), gat.begin() + kGatDate, ' ');
  std::copy(date.begin(), date.end(), gat.begin() + kGatDate);
  const std::uint8_t driver[] = {0x03,
                                 'R',
                                 'S',
                                 'H',
                                 0x0C,
                                 static_cast<std::uint8_t>(0x10 + drive),
                                 0x00,
                                 static_cast<std::uint8_t>(l.cylinders - 1),
                                 reed::kSliceSectors - 1,
                                 0xE3,
                                 static_cast<std::uint8_t>(l.dir_cylinder)};
  std::copy(std::begin(driver), std::end(driver), gat.begin() + 0xF5);
}

// The drive's system sectors made its own, so that the formatter's pieces
// change them in place.
void OwnSystemSectors(disk::Disk& d, const Layout& l) {
  for (std::size_t i = 0; i < d.sectors.size(); ++i) {
    const disk::Sector& s = d.sectors[i];
    const bool dir = s.cylinder == l.dir_cylinder, boot = s.cylinder == 0 && s.id_sector == 0;
    if (s.cylinder == 1) disk::PutSectorData(d, i, Bytes(kSectorBytes, 0xE5));
    if (dir || boot) disk::PutSectorData(d, i, Bytes(kSectorBytes, 0));
  }
}

void FormatDrive(disk::Disk& d, int drive, const std::string& name, const std::string& date) {
  const Layout l = DriveLayout(d.cylinders);
  OwnSystemSectors(d, l);
  SectorBytes(d, {0, 0, 0}) =
      BootSector({0x00, 0xFE, static_cast<std::uint8_t>(l.dir_cylinder)}, 0x4200);
  PutHardGat(SectorBytes(d, l.DirectorySector(0)), l, drive, name, date);
  const SystemFiles files{{0xAE, 0x01, 0x00, 0x00},
                          {0xAE, 0x01, 0x00, 0x00},
                          {static_cast<std::uint8_t>(l.dir_cylinder), kGranules - 1},
                          0xFF};
  PutDirectory(d, l, files);
}

}  // namespace

NewDisk FormatHardDisk(const NewDiskRequest& q, int drives) {
  if (drives == 0) drives = q.heads;
  NewDisk out;
  out.error = Refusal(q, drives);
  if (!out.error.empty()) return out;
  std::string name = q.name.empty() ? "LDOSHD" : q.name;
  for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  Bytes bytes = BlankImage(q, name);
  const disk::Disk whole = disk::ReadDisk(ImageBuffer(bytes));
  for (int n = 0; n < drives; ++n) {
    disk::Disk d = disk::Slice(whole, n);
    FormatDrive(d, n, name + static_cast<char>('A' + n), q.date);
    for (const disk::Sector& s : d.sectors) {
      if (s.written < 0) continue;
      const Bytes& data = d.written[static_cast<std::size_t>(s.written)];
      std::copy(data.begin(), data.end(), bytes.begin() + s.data_offset);
    }
  }
  out.disk = disk::ReadDisk(ImageBuffer(std::move(bytes)));
  const int free = (q.cylinders - 3) * kGranules + kGranules - 1;
  out.check = [name, drives, free, q](const disk::Disk& back) -> std::string {
    for (int n = 0; n < disk::SliceCount(back); ++n) {
      const Catalogue c = ReadCatalogue(disk::Slice(back, n));
      const bool meant = n < drives;
      if ((c.family == Family::kLdos) != meant)
        return "drive " + std::to_string(n) + " reads back otherwise";
      if (meant && (c.disk_name != name + static_cast<char>('A' + n) || c.disk_date != q.date ||
                    c.files.size() != 2 || c.granules_free != free)) {
        return "drive " + std::to_string(n) + "'s directory reads back otherwise";
      }
    }
    return "";
  };
  return out;
}

}  // namespace trivane::trsdos
