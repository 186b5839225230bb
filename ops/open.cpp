#include "ops/open.h"

#include "disk/container.h"
#include "disk/reed.h"
#include "loader/image_file.h"
#include "ops/filesystems.h"

namespace trivane::ops {
namespace {

// A catalogue reads sectors all over a floppy: a file up to this size is
// read whole at once; a larger one (a hard disk) page by page as its
// sectors are asked for.
constexpr std::size_t kCatalogueAtOnce = 4 << 20;
constexpr std::size_t kSectorsAtOnce = 16 * 1024;

std::size_t AtOnce(Purpose purpose) {
  switch (purpose) {
    case Purpose::kSectors:
      return kSectorsAtOnce;
    case Purpose::kCatalogue:
      return kCatalogueAtOnce;
    case Purpose::kWindow:
      break;
  }
  return static_cast<std::size_t>(disk::MostImageBytes());
}

}  // namespace

OpenedImage OpenImage(const std::filesystem::path& path, Purpose purpose) {
  OpenedImage r;
  r.file = Utf8Of(path);
  LoadedImage loaded = LoadImageFile(path, disk::MostImageBytes(), AtOnce(purpose));
  if (!loaded.ok()) {
    r.error = loaded.error;
    return r;
  }
  r.loaded = true;
  r.image = std::move(loaded.buffer);
  r.disk = disk::ReadDisk(r.image, purpose != Purpose::kCatalogue);
  r.error = r.disk.error;
  return r;
}

OpenedImage OpenDrive(const std::filesystem::path& path, int drive) {
  OpenedImage r = OpenImage(path, Purpose::kCatalogue);
  if (!r.error.empty()) return r;
  DriveDisk d = DiskOfDrive(r.disk, drive);
  r.error = d.error;
  r.disk = std::move(d.disk);
  return r;
}

OpenedDos OpenDos(const std::filesystem::path& path, int drive, bool every_drive) {
  OpenedDos r;
  r.sectors = OpenImage(path, Purpose::kCatalogue);
  if (!r.sectors.error.empty()) return r;
  r.hard_disk = disk::IsWholeHardDisk(r.sectors.disk);
  if (r.hard_disk) r.header = disk::ReedHeaderLines(r.sectors.disk);
  if (r.hard_disk && every_drive && drive < 0) {
    Drives drives = OpenDrives(r.sectors.disk);
    r.sectors.error = drives.why_none;
    r.drives = std::move(drives.list);
    return r;
  }
  DriveDisk d = DiskOfDrive(r.sectors.disk, drive);
  r.sectors.error = d.error;
  r.sectors.disk = std::move(d.disk);
  r.drive = disk::SliceOf(r.sectors.disk);
  if (r.sectors.error.empty()) r.fs = FilesystemToChange(r.sectors.disk);
  return r;
}

OpenedFile OpenNamedFile(const std::filesystem::path& image, const std::string& name, bool deleted,
                         int drive) {
  const OpenedImage read = OpenDrive(image, drive);
  OpenedFile o;
  if (!read.error.empty()) {
    o.error = read.error;
    return o;
  }
  o.fs = OpenFilesystem(read.disk);
  if (o.fs != nullptr) o.entry = o.fs->Find(name, deleted);
  if (!o.entry) o.error = "no file " + name + " on the disk";
  return o;
}

}  // namespace trivane::ops
