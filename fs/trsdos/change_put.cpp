// Putting a file: granules from the first free one up, in runs of at most
// an extent's length (as the PC tools that made several real disks do; no
// DOS source says how a DOS picks them); the entry in the slot the DOS
// would give it, extended entries linked on when four extents do not hold
// it; the data written into its granules' sectors; the GAT and HIT.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fs/trsdos/change.h"
#include "fs/trsdos/directory_bytes.h"
#include "fs/trsdos/directory_edit.h"
#include "fs/trsdos/families.h"

namespace trivane::trsdos {

using filesystems::Refused;

namespace {

struct Plan {
  std::vector<std::pair<int, int>> runs;  // first granule, count
  std::vector<int> decs;                  // the entry, then its extended entries
  std::string error;
};

// +1..2: the date as the DOS keeps it (families.h).
void PutDate(std::uint8_t* e, Family family, std::string date) {
  date.resize(8, ' ');  // a date not given, or cut short, reads as 00/00/00
  const int month = std::atoi(date.substr(0, 2).c_str()),
            day = std::atoi(date.substr(3, 2).c_str());
  const int yy = std::atoi(date.substr(6, 2).c_str());
  switch (RowOf(family).put_dates) {
    case Dates::kMonthYear:
      e[1] = static_cast<std::uint8_t>(month);
      e[2] = static_cast<std::uint8_t>(yy);
      break;
    case Dates::kPacked:
      e[1] = static_cast<std::uint8_t>(month & 15);
      e[2] = static_cast<std::uint8_t>(day << 3 | ((yy < 80 ? yy + 100 : yy) - 80) % 8);
      break;
    case Dates::kNone:
      break;
  }
}

// The entry's own fields: in use, date, EOF, LRL 256, name, no passwords,
// ERN.
void PutFields(std::uint8_t* e, Family family, const std::string& name, const std::string& ext,
               std::size_t size, const std::string& date) {
  const FamilyRow& row = RowOf(family);
  e[0] = kInUse;
  PutDate(e, family, date);
  e[3] = static_cast<std::uint8_t>(size % 256);
  PutName(e, name, ext);
  for (int k : {16, 18}) std::copy_n(row.no_password, 2, e + k);
  const std::size_t ern = size / 256 + (!row.whole_sector_ern && size % 256 != 0 ? 1 : 0);
  e[20] = static_cast<std::uint8_t>(ern & 0xFF);
  e[21] = static_cast<std::uint8_t>(ern >> 8);
}

Plan MakePlan(DirectoryEdit& dir, const Catalogue& c, std::size_t size, std::uint8_t hash) {
  Plan p;
  const std::size_t sectors = (size + 255) / 256;
  const int per = c.layout.sectors_per_granule;
  const int granules = static_cast<int>((sectors + static_cast<std::size_t>(per) - 1) / per);
  p.runs = dir.FreeRuns(granules);
  if (granules > 0 && p.runs.empty()) {
    p.error = "the disk is too full: the file needs " + std::to_string(granules) + " granules, " +
              std::to_string(c.granules_free) + " are free";
    return p;
  }
  const std::size_t slots = static_cast<std::size_t>(dir.extent_slots());
  if (!dir.shape().linked && p.runs.size() > slots) {
    p.error = "the free space is in more than 13 pieces, more than an entry holds";
    return p;
  }
  const std::size_t entries = std::max<std::size_t>(1, (p.runs.size() + slots - 1) / slots);
  while (p.decs.size() < entries) {
    const int dec = dir.FreeDec();
    if (dec < 0) {
      p.error = "the directory has no free slot";
      return p;
    }
    dir.Hit(dec) = hash;  // taken
    p.decs.push_back(dec);
  }
  return p;
}

void PutEntries(DirectoryEdit& dir, const Plan& p, Family family, const std::string& name,
                const std::string& ext, std::size_t size, const std::string& date) {
  const std::size_t slots = static_cast<std::size_t>(dir.extent_slots());
  const auto bytes = static_cast<std::size_t>(dir.shape().entry_bytes);
  for (std::size_t k = 0; k < p.decs.size(); ++k) {
    std::uint8_t* e = dir.Entry(p.decs[k]);
    std::fill(e, e + 22, 0);
    std::fill(e + 22, e + bytes, 0xFF);
    if (k == 0) {
      PutFields(e, family, name, ext, size, date);
    } else {
      e[0] = kExtended | kInUse;
      e[1] = static_cast<std::uint8_t>(p.decs[k - 1]);
    }
    for (std::size_t j = 0; j < slots && k * slots + j < p.runs.size(); ++j) {
      const auto [first, count] = p.runs[k * slots + j];
      const auto [a, b] = dir.layout().ExtentBytes(first, count);
      e[22 + 2 * j] = a;
      e[23 + 2 * j] = b;
    }
    if (k + 1 < p.decs.size()) {
      e[30] = 0xFE;
      e[31] = static_cast<std::uint8_t>(p.decs[k + 1]);
    }
  }
}

// The data into the runs' sectors, the last one filled out with zeros.
bool PutData(disk::SectorStore& store, DirectoryEdit& dir, const Layout& l, const Plan& p,
             const std::vector<std::uint8_t>& data) {
  std::size_t at = 0;
  for (const auto& [first, count] : p.runs) {
    for (int g = first; g < first + count; ++g) {
      dir.Mark(g, true);
      for (const Place& place : l.Granule(g)) {
        if (at >= data.size()) break;
        std::vector<std::uint8_t> sector(256, 0);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at),
                    std::min<std::size_t>(256, data.size() - at), sector.begin());
        if (!store.Put(place, sector)) return false;
        at += 256;
      }
    }
  }
  return true;
}

}  // namespace

Made PutFile(const disk::Disk& disk, const Catalogue& before, const std::string& name,
             const std::string& ext, const std::vector<std::uint8_t>& data, bool replace,
             const std::string& date) {
  if (std::string why = WhyNotChangeable(disk, before); !why.empty()) return Refused(why);
  const std::string shown = ext.empty() ? name : name + "/" + ext;
  const File* old = FindFile(before, shown, false);
  if (old != nullptr && (!replace || SystemFile(*old))) {
    return Refused("a file " + old->Shown() + " is on the disk already");
  }
  disk::Disk work = disk;
  disk::SectorStore store(work);
  DirectoryEdit dir(store, before);
  if (old != nullptr) dir.Remove(*old);
  const Plan plan = MakePlan(dir, before, data.size(), NameHashOf(name, ext));
  if (!plan.error.empty()) return Refused(plan.error);
  PutEntries(dir, plan, before.family, name, ext, data.size(), date);
  if (!PutData(store, dir, before.layout, plan, data) || !dir.Flush()) {
    return Refused("a sector of the disk cannot be written");
  }
  return {old != nullptr ? Made::kReplaced : Made::kPut,
          old != nullptr ? old->dec : -1,
          shown,
          data,
          std::move(work),
          ""};
}

}  // namespace trivane::trsdos
