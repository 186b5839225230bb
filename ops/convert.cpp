#include "ops/convert.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "disk/sector_store.h"
#include "ops/filesystems.h"
#include "ops/prove.h"

namespace trivane::ops {
namespace {

using Key = std::array<int, 3>;

// What a sector is, as the comparison sees it: its ID, size, density, mark,
// whether its CRCs failed, and its data (taken when compared, so that a
// whole disk's data is never copied at once).
struct Seen {
  const disk::Disk* disk;
  const disk::Sector* s;

  bool operator==(const Seen& o) const {
    const auto fields = [](const Seen& x) {
      const disk::Sector& s = *x.s;
      return std::make_tuple(s.id_cylinder, s.id_head, s.size, s.density, s.has_data() ? s.dam : 0,
                             s.id_crc == disk::Check::kBad,
                             s.has_data() && disk::DataCrc(*x.disk, s) == disk::Check::kBad);
    };
    return fields(*this) == fields(o) &&
           disk::SectorData(*disk, *s) == disk::SectorData(*o.disk, *o.s);
  }
};

std::map<Key, std::vector<Seen>> SectorsByPlace(const disk::Disk& d) {
  std::map<Key, std::vector<Seen>> by;
  for (const disk::Sector& s : d.sectors) by[{s.cylinder, s.head, s.id_sector}].push_back({&d, &s});
  return by;
}

// The filesystems' family, files and findings, all as they were.
std::string CompareFilesystems(const disk::Disk& from, const disk::Disk& back) {
  const auto a = FilesystemToChange(from), b = FilesystemToChange(back);
  const std::vector<filesystems::Entry> fa = a->List(false), fb = b->List(false);
  if (std::string why = ReadsBackOtherwise(*a, fa, *b, fb, -1); !why.empty()) return why;
  if (fa.size() != fb.size()) return "the number of files differs";
  if (a->CheckLines() != b->CheckLines()) return "the findings differ";
  return "";
}

}  // namespace

std::string CompareSectors(const disk::Disk& from, const disk::Disk& back,
                           const std::vector<Key>& lost) {
  const auto a = SectorsByPlace(from), b = SectorsByPlace(back);
  const auto is_lost = [&](const Key& k) {
    return std::binary_search(lost.begin(), lost.end(), k);
  };
  for (const auto& [key, seen] : a) {
    if (is_lost(key)) continue;
    const auto it = b.find(key);
    if (it == b.end() || it->second != seen) {
      return disk::PlaceText({key[0], key[1], key[2]}) +
             (it == b.end() ? " is not there" : " reads back otherwise");
    }
  }
  for (const auto& [key, seen] : b) {
    if (!a.contains(key) && !is_lost(key)) {
      return disk::PlaceText({key[0], key[1], key[2]}) + " was not on the disk";
    }
  }
  return "";
}

Proved Convert(const disk::Disk& disk, disk::Container to, const disk::WriteOptions& options,
               bool force) {
  if ((disk.container == disk::Container::kReed) != (to == disk::Container::kReed)) {
    return {{}, {}, "a hard disk and a floppy do not convert into each other", false};
  }
  disk::Written w = disk::FormatOf(to).write(disk, options);
  Proved out{{}, std::move(w.losses), {}, false};
  if (!out.losses.empty() && !force) {
    out.error = std::string(disk::ContainerName(to)) + " cannot hold all of the disk";
    return out;
  }
  // The written bytes read as they are, not copied.
  const disk::Disk back = disk::ReadDisk(ImageBuffer(w.bytes.data(), w.bytes.size(), nullptr));
  if (back.container != to) {
    out.error = "the image would not read back as " + std::string(disk::ContainerName(to));
    return out;
  }
  out.error = CompareSectors(disk, back, w.lost);
  if (out.error.empty() && out.losses.empty()) out.error = CompareFilesystems(disk, back);
  out.fault = !out.error.empty();
  if (out.error.empty()) out.bytes = std::move(w.bytes);
  return out;
}

Proved NewImage(const filesystems::NewDisk& made, disk::Container to,
                const disk::WriteOptions& options) {
  if (!made.error.empty()) return {{}, {}, made.error, false};
  Proved out = Convert(made.disk, to, options, false);
  if (!out.error.empty()) return out;
  const disk::Disk back = disk::ReadDisk(ImageBuffer(out.bytes.data(), out.bytes.size(), nullptr));
  out.error = made.check(back);
  out.fault = !out.error.empty();
  if (!out.error.empty()) out.bytes.clear();
  return out;
}

}  // namespace trivane::ops
