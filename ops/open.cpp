#include "ops/open.h"

#include "disk/container.h"
#include "disk/kryoflux.h"
#include "disk/reed.h"
#include "loader/image_file.h"
#include "ops/archives.h"
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

// A KryoFlux stream file's name, trackNN.S.raw: its cylinder and head.
bool StreamName(const std::filesystem::path& file, int& cylinder, int& head) {
  const std::string name = Utf8Of(file.filename());
  const auto digit = [&](std::size_t k) { return name[k] >= '0' && name[k] <= '9'; };
  if (name.size() != 13 || !name.starts_with("track") || !name.ends_with(".raw") || !digit(5) ||
      !digit(6) || name[7] != '.' || (name[8] != '0' && name[8] != '1'))
    return false;
  cylinder = (name[5] - '0') * 10 + (name[6] - '0');
  head = name[8] - '0';
  return true;
}

// The dump a path names, its folder or one of its stream files: every
// stream file of the folder; false for a path that names none.
bool ReadDump(const std::filesystem::path& path, OpenedImage& r) {
  std::error_code ec;
  int cylinder = 0, head = 0;
  const bool folder = std::filesystem::is_directory(path, ec);
  if (!folder && !StreamName(path, cylinder, head)) return false;
  std::vector<disk::StreamFile> files;
  for (const auto& e :
       std::filesystem::directory_iterator(folder ? path : path.parent_path(), ec)) {
    if (!StreamName(e.path(), cylinder, head)) continue;
    LoadedImage loaded = LoadImageFile(e.path(), disk::kMostFloppyBytes, disk::kMostFloppyBytes);
    if (!loaded.ok()) {
      r.error = Utf8Of(e.path().filename()) + ": " + loaded.error;
      return true;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(loaded.buffer.size()));
    loaded.buffer.Read(0, bytes.data(), bytes.size());
    files.push_back({cylinder, head, std::move(bytes)});
  }
  if (ec) r.error = ec.message();
  if (folder && files.empty() && r.error.empty()) return false;  // a folder, but no dump
  r.loaded = r.error.empty();
  r.disk = disk::ReadKryoFluxDump(std::move(files));
  r.image = r.disk.image;
  if (r.error.empty()) r.error = r.disk.error;
  return true;
}

// An archive named where one image is read: its image when it holds one.
OpenedImage OpenArchiveImage(const std::filesystem::path& path, Purpose purpose) {
  const ArchiveImages images = ImagesInArchive(path);
  if (images.paths.size() == 1) {
    OpenedImage r = OpenImage(PathFromUtf8(images.paths[0]), purpose);
    r.file = Utf8Of(path);
    return r;
  }
  OpenedImage r;
  r.file = Utf8Of(path);
  r.loaded = true;
  r.error = !images.error.empty()  ? images.error
            : images.paths.empty() ? "a zip archive that holds no image"
                                   : "a zip archive of " + std::to_string(images.paths.size()) +
                                         " images: name one as ARCHIVE.zip/MEMBER";
  return r;
}

OpenedImage ImageOf(const std::string& file, ImageBuffer image, Purpose purpose) {
  OpenedImage r;
  r.file = file;
  r.loaded = true;
  r.image = std::move(image);
  r.disk = disk::ReadDisk(r.image, purpose != Purpose::kCatalogue);
  r.error = r.disk.error;
  return r;
}

OpenedDos DosOf(OpenedImage image, int drive, bool every_drive) {
  OpenedDos r;
  r.sectors = std::move(image);
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

}  // namespace

OpenedImage OpenImage(const std::filesystem::path& path, Purpose purpose) {
  OpenedImage r;
  r.file = Utf8Of(path);
  if (ReadDump(path, r)) return r;
  LoadedImage loaded = LoadPath(path, disk::MostImageBytes(), AtOnce(purpose));
  if (!loaded.ok()) {
    r.error = loaded.error;
    return r;
  }
  if (loaded.buffer.StartsWith("PK\x03\x04")) return OpenArchiveImage(path, purpose);
  return ImageOf(r.file, std::move(loaded.buffer), purpose);
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
  return DosOf(OpenImage(path, Purpose::kCatalogue), drive, every_drive);
}

OpenedDos OpenDosOf(const std::string& file, std::vector<std::uint8_t> bytes) {
  return DosOf(ImageOf(file, ImageBuffer(std::move(bytes)), Purpose::kCatalogue), -1, true);
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
