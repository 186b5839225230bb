// Reading one image into its record (records.h): a tape's programs as its
// files, a disk's drives each with its filesystem and live files.
#include "shelf/records.h"

#include <algorithm>
#include <fstream>

#include "cli/sha256.h"
#include "disk/container.h"
#include "formats/image_buffer.h"
#include "formats/text.h"
#include "ops/archives.h"
#include "ops/open.h"
#include "ops/tapes.h"
#include "views/basic.h"
#include "views/view.h"

namespace trivane::shelf {
namespace {

// No more of a file's words are kept for searching.
constexpr std::size_t kMostText = 256 * 1024;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (text.size() + line.size() >= kMostText) break;
    text += line + "\n";
  }
  return text;
}

FileRecord FileOf(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  FileRecord f{name, static_cast<std::int64_t>(bytes.size()), cli::Sha256Hex(bytes), "", ""};
  const views::View choice = views::MakeView(bytes, views::ViewKind::kAuto, true, name);
  f.kind = views::ViewName(choice.kind);
  if (choice.kind == views::ViewKind::kBasic) f.text = Joined(views::ListBasic(bytes).lines);
  if (choice.kind == views::ViewKind::kText) f.text = Joined(views::TextLines(bytes));
  return f;
}

// A drive's files; one that cannot be read whole is no file of the
// catalogue (its SHA-256 would be of bytes not read), and is said among
// the findings instead.
DriveRecord DriveOf(std::optional<int> number, const filesystems::Filesystem* fs,
                    std::vector<std::string>& findings) {
  DriveRecord d;
  d.number = number;
  if (fs == nullptr || fs->Score() == 0) return d;
  d.dos = fs->Name();
  for (const std::string& e : fs->Evidence()) d.why += (d.why.empty() ? "" : "; ") + e;
  for (const filesystems::Entry& e : fs->List(false)) {
    if (e.directory) continue;
    const filesystems::FileBytes read = fs->Read(e);
    if (read.whole()) {
      d.files.push_back(FileOf(e.name, read.bytes));
      continue;
    }
    const std::string where = read.unreadable.empty() ? "" : " (" + read.unreadable[0].place + ")";
    findings.push_back((number ? "drive " + std::to_string(*number) + ": " : "") + e.name +
                       ": not read whole" + where + "; not kept among the files");
  }
  return d;
}

// Every sector's bytes in place order (cylinder, head, id), whatever the
// container: the same disk digests alike as DMK, JV3 or HFE.
std::string DiskDigest(const disk::Disk& disk) {
  std::vector<const disk::Sector*> order;
  for (const disk::Sector& s : disk.sectors) order.push_back(&s);
  std::stable_sort(order.begin(), order.end(), [](const disk::Sector* a, const disk::Sector* b) {
    return std::tie(a->cylinder, a->head, a->id_sector) <
           std::tie(b->cylinder, b->head, b->id_sector);
  });
  cli::Sha256 all;
  for (const disk::Sector* s : order) all.Add(disk::SectorData(disk, *s));
  return all.Hex();
}

// The image file's bytes, a part at a time: a large one is never held whole.
std::string ImageSha256(const ImageBuffer& image) {
  cli::Sha256 sha;
  std::vector<std::uint8_t> part(256 * 1024);
  for (Offset at = 0; at < image.size(); at += static_cast<Offset>(part.size())) {
    const auto n = static_cast<std::size_t>(std::min<Offset>(image.size() - at, part.size()));
    image.Read(at, part.data(), n);
    sha.Add(part.data(), n);
  }
  return sha.Hex();
}

void ReadTape(ImageRecord& r, const ops::OpenedTape& t) {
  r.container = t.tape.container == tape::Container::kCas ? "CAS" : "WAV";
  r.findings = t.tape.findings;
  DriveRecord d{std::nullopt, "tape", "", {}};
  for (std::size_t k = 0; k < t.tape.programs.size(); ++k) {
    const ops::TapeFile f = ops::FileOf(t.tape.programs[k], k);
    d.files.push_back(FileOf(f.dos_name, f.bytes));
    for (const std::string& finding : t.tape.programs[k].findings)
      r.findings.push_back(f.dos_name + ": " + finding);
  }
  r.drives.push_back(std::move(d));
  if (!t.error.empty()) r.findings.push_back(t.error);
}

// Each drive's record and what its filesystem's check finds (a hard
// disk's drive by drive, each line with its drive).
void ReadDrives(ImageRecord& r, const ops::OpenedDos& o) {
  const auto check = [&r](const filesystems::Filesystem* fs, const std::string& drive) {
    if (fs == nullptr) return;
    for (const std::string& line : fs->CheckLines()) r.findings.push_back(drive + line);
  };
  if (o.hard_disk) {
    for (const ops::Drive& drive : o.drives) {
      r.drives.push_back(DriveOf(drive.number, drive.fs.get(), r.findings));
      check(drive.fs.get(), "drive " + std::to_string(drive.number) + ": ");
    }
    return;
  }
  r.drives.push_back(DriveOf(std::nullopt, o.fs.get(), r.findings));
  check(o.fs.get(), "");
}

// The disk's record.
void ReadDiskImage(ImageRecord& r, const ops::OpenedDos& o) {
  const disk::Disk& d = o.sectors.disk;
  if (d.sectors.empty() && o.drives.empty()) {
    r.error = o.sectors.error.empty() ? "the image holds no sectors" : o.sectors.error;
    return;
  }
  r.sha256 = ImageSha256(o.sectors.image);
  r.container = disk::ContainerName(d.container);
  r.cylinders = d.cylinders;
  r.heads = d.heads;
  r.sectors = static_cast<int>(d.sectors.size());
  r.findings = d.problems;
  // A hard disk has one container: its file's bytes are its sectors'.
  r.disk_sha256 = o.hard_disk ? r.sha256 : DiskDigest(d);
  ReadDrives(r, o);
}

}  // namespace

std::string FileSha256(const std::filesystem::path& path) {
  if (std::optional<ops::MemberBytes> member = ops::ReadMemberPath(path))
    return member->error.empty() ? cli::Sha256Hex(member->bytes) : "";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  cli::Sha256 sha;
  std::vector<std::uint8_t> part(256 * 1024);
  while (in) {
    in.read(reinterpret_cast<char*>(part.data()), static_cast<std::streamsize>(part.size()));
    sha.Add(part.data(), static_cast<std::size_t>(in.gcount()));
  }
  return in.bad() ? "" : sha.Hex();
}

ImageRecord ReadRecord(const std::filesystem::path& path, std::int64_t size, std::int64_t mtime) {
  ImageRecord r;
  r.path = Utf8Of(path);
  r.size = size;
  r.mtime = mtime;
  if (const ops::OpenedTape t = ops::OpenTape(path); t.is_tape) {
    ReadTape(r, t);
    r.sha256 = FileSha256(path);
  } else {
    ReadDiskImage(r, ops::OpenDos(path, -1, true));
  }
  return r;
}

std::vector<ImageRecord> ReadArchiveRecords(const std::filesystem::path& zip, std::int64_t size,
                                            std::int64_t mtime) {
  std::vector<ImageRecord> out;
  const auto each = [&](const std::string& member, ops::MemberBytes m) {
    ImageRecord& r = out.emplace_back();
    r.path = member;
    r.size = size;
    r.mtime = mtime;
    if (!m.error.empty()) {
      r.error = m.error;
    } else if (const ops::OpenedTape t = ops::OpenTapeOf(member, m.bytes); t.is_tape) {
      ReadTape(r, t);
      r.sha256 = cli::Sha256Hex(m.bytes);
    } else {
      ReadDiskImage(r, ops::OpenDosOf(member, std::move(m.bytes)));
    }
  };
  const std::string error = ops::ReadArchiveImages(zip, each);
  if (out.empty()) {
    // Kept as no image, so that it is not read again while it stays as it is.
    ImageRecord& r = out.emplace_back();
    r.path = Utf8Of(zip);
    r.size = size;
    r.mtime = mtime;
    r.error = error.empty() ? "a zip archive that holds no image" : error;
  }
  return out;
}

}  // namespace trivane::shelf
