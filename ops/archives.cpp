// Zip members as images (archives.h): a member path split at its archive,
// the member found in the archive's directory (or, one level down, in a
// zip member's), read whole and checked.
#include "ops/archives.h"

#include <algorithm>
#include <fstream>

#include "archive/zip.h"
#include "disk/container.h"
#include "ops/tapes.h"

namespace trivane::ops {
namespace {

namespace fs = std::filesystem;

// No archive this size is opened: larger ones are no keeper's disks.
constexpr std::uintmax_t kMostArchiveBytes = std::uintmax_t{4} << 30;
constexpr std::size_t kArchiveAtOnce = 64 * 1024;

// The archive a path lies in, and the member's name within it; none for a
// path that is a file itself or lies in no file.
struct Split {
  fs::path archive;
  std::string member;
};
std::optional<Split> SplitAtArchive(const fs::path& path) {
  std::error_code ec;
  if (fs::exists(path, ec)) return std::nullopt;
  std::string rest;
  for (fs::path p = path; p.has_relative_path() && p != p.parent_path(); p = p.parent_path()) {
    rest = rest.empty() ? Utf8Of(p.filename()) : Utf8Of(p.filename()) + "/" + rest;
    const fs::path up = p.parent_path();
    if (fs::is_regular_file(up, ec)) return Split{up, rest};
    if (fs::exists(up, ec)) return std::nullopt;
  }
  return std::nullopt;
}

const archive::ZipMember* Named(const archive::ZipDirectory& d, const std::string& name) {
  for (const archive::ZipMember& m : d.members)
    if (m.name == name) return &m;
  return nullptr;
}

// The member named, or one level down in a zip member that prefixes it.
MemberBytes Find(const ImageBuffer& zip, const std::string& name, bool inner) {
  const archive::ZipDirectory d = archive::ReadZipDirectory(zip);
  if (!d.error.empty()) return {{}, d.error};
  if (const archive::ZipMember* m = Named(d, name)) {
    archive::ZipData data = archive::ReadZipMember(zip, *m, disk::MostImageBytes());
    if (!data.error.empty()) return {{}, data.error};
    return {std::move(data.bytes), ""};
  }
  for (const archive::ZipMember& m : d.members) {
    if (inner || !name.starts_with(m.name + "/")) continue;
    archive::ZipData data = archive::ReadZipMember(zip, m, kMostArchiveBytes);
    if (!data.error.empty()) return {{}, m.name + ": " + data.error};
    if (!archive::IsZip(data.bytes)) break;
    const ImageBuffer in(std::move(data.bytes));
    return Find(in, name.substr(m.name.size() + 1), true);
  }
  return {{}, "the archive holds no member " + name};
}

LoadedImage OpenArchive(const fs::path& path) {
  return LoadPath(path, kMostArchiveBytes, kArchiveAtOnce);
}

void EachImage(const ImageBuffer& zip, const std::string& prefix, bool inner,
               const EachArchiveImage& each, std::string& error) {
  const archive::ZipDirectory d = archive::ReadZipDirectory(zip);
  if (!d.error.empty()) {
    if (inner)
      each(prefix, {{}, d.error});
    else
      error = d.error;
    return;
  }
  for (const archive::ZipMember& m : d.members) {
    if (m.folder()) continue;
    archive::ZipData data = archive::ReadZipMember(zip, m, kMostArchiveBytes);
    const std::string path = prefix + "/" + m.name;
    if (!data.error.empty()) {
      each(path, {{}, data.error});
    } else if (archive::IsZip(data.bytes) && !inner) {
      EachImage(ImageBuffer(std::move(data.bytes)), path, true, each, error);
    } else if (IsImageBytes(data.bytes)) {
      each(path, {std::move(data.bytes), ""});
    }
  }
}

}  // namespace

bool IsZipFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::uint8_t head[4] = {};
  in.read(reinterpret_cast<char*>(head), 4);
  return in.gcount() == 4 && archive::IsZip(head);
}

bool InArchive(const fs::path& path) {
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) return IsZipFile(path);
  const std::optional<Split> split = SplitAtArchive(path);
  return split && IsZipFile(split->archive);
}

std::optional<MemberBytes> ReadMemberPath(const fs::path& path) {
  const std::optional<Split> split = SplitAtArchive(path);
  if (!split || !IsZipFile(split->archive)) return std::nullopt;
  const LoadedImage zip = OpenArchive(split->archive);
  if (!zip.ok()) return MemberBytes{{}, zip.error};
  return Find(zip.buffer, split->member, false);
}

LoadedImage LoadPath(const fs::path& path, std::uintmax_t most, std::size_t at_once) {
  std::optional<MemberBytes> member = ReadMemberPath(path);
  if (!member) return LoadImageFile(path, most, at_once);
  if (!member->error.empty()) return {{}, member->error};
  return {ImageBuffer(std::move(member->bytes)), ""};
}

std::string ReadArchiveImages(const fs::path& zip, const EachArchiveImage& each) {
  const LoadedImage archive = OpenArchive(zip);
  if (!archive.ok()) return archive.error;
  std::string error;
  EachImage(archive.buffer, Utf8Of(zip), SplitAtArchive(zip).has_value(), each, error);
  return error;
}

ArchiveImages ImagesInArchive(const fs::path& zip) {
  ArchiveImages out;
  out.error = ReadArchiveImages(
      zip, [&out](const std::string& path, MemberBytes) { out.paths.push_back(path); });
  return out;
}

std::vector<std::string> WithArchiveMembers(const std::vector<std::string>& operands) {
  std::vector<std::string> out;
  for (const std::string& operand : operands) {
    const fs::path path = PathFromUtf8(operand);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || !IsZipFile(path)) {
      out.push_back(operand);
      continue;
    }
    const ArchiveImages images = ImagesInArchive(path);
    if (images.paths.empty()) out.push_back(operand);
    out.insert(out.end(), images.paths.begin(), images.paths.end());
  }
  return out;
}

bool IsImageBytes(std::span<const std::uint8_t> bytes) {
  if (IsTapeBytes(bytes)) return true;
  // A view of the bytes, not a copy: they outlive the buffer.
  const ImageBuffer image(bytes.data(), bytes.size(), nullptr);
  return disk::Detect(image) != nullptr;
}

}  // namespace trivane::ops
