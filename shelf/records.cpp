// Reading one image into its record (records.h): a tape's programs as its
// files, a disk's drives each with its filesystem and live files.
#include "shelf/records.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "cli/sha256.h"
#include "disk/container.h"
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

DriveRecord DriveOf(std::optional<int> number, const filesystems::Filesystem* fs) {
  DriveRecord d;
  d.number = number;
  if (fs == nullptr || fs->Score() == 0) return d;
  d.dos = fs->Name();
  for (const std::string& e : fs->Evidence()) d.why += (d.why.empty() ? "" : "; ") + e;
  for (const filesystems::Entry& e : fs->List(false)) {
    if (e.directory) continue;
    const filesystems::FileBytes read = fs->Read(e);
    if (read.whole()) d.files.push_back(FileOf(e.name, read.bytes));
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
  std::vector<std::uint8_t> all;
  for (const disk::Sector* s : order) {
    const std::vector<std::uint8_t> data = disk::SectorData(disk, *s);
    all.insert(all.end(), data.begin(), data.end());
  }
  return cli::Sha256Hex(all);
}

bool ReadTape(ImageRecord& r) {
  const ops::OpenedTape t = ops::OpenTape(PathFromUtf8(r.path));
  if (!t.is_tape) return false;
  r.container = t.tape.container == tape::Container::kCas ? "CAS" : "WAV";
  r.sha256 = FileSha256(PathFromUtf8(r.path));
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
  return true;
}

void ReadDiskImage(ImageRecord& r) {
  const ops::OpenedDos o = ops::OpenDos(PathFromUtf8(r.path), -1, true);
  const disk::Disk& d = o.sectors.disk;
  if (d.sectors.empty() && o.drives.empty()) {
    r.error = o.sectors.error.empty() ? "the image holds no sectors" : o.sectors.error;
    return;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(o.sectors.image.size()));
  o.sectors.image.Read(0, bytes.data(), bytes.size());
  r.sha256 = cli::Sha256Hex(bytes);
  r.container = disk::ContainerName(d.container);
  r.cylinders = d.cylinders;
  r.heads = d.heads;
  r.sectors = static_cast<int>(d.sectors.size());
  // A hard disk has one container: its file's bytes are its sectors'.
  r.disk_sha256 = o.hard_disk ? r.sha256 : DiskDigest(d);
  r.findings = d.problems;
  if (o.hard_disk) {
    for (const ops::Drive& drive : o.drives)
      r.drives.push_back(DriveOf(drive.number, drive.fs.get()));
    return;
  }
  r.drives.push_back(DriveOf(std::nullopt, o.fs.get()));
  if (o.fs) {
    for (const std::string& line : o.fs->CheckLines()) r.findings.push_back(line);
  }
}

}  // namespace

std::string FileSha256(const std::filesystem::path& path) {
  if (std::optional<ops::MemberBytes> member = ops::ReadMemberPath(path))
    return member->error.empty() ? cli::Sha256Hex(member->bytes) : "";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  return cli::Sha256Hex(bytes);
}

ImageRecord ReadRecord(const std::filesystem::path& path, std::int64_t size, std::int64_t mtime) {
  ImageRecord r;
  r.path = Utf8Of(path);
  r.size = size;
  r.mtime = mtime;
  if (!ReadTape(r)) ReadDiskImage(r);
  return r;
}

}  // namespace trivane::shelf
