#include "fs/trsdos/directory_edit.h"

#include <algorithm>
#include <cctype>

#include "fs/trsdos/directory_bytes.h"
#include "fs/trsdos/families.h"

namespace trivane::trsdos {
DirectoryEdit::DirectoryEdit(disk::SectorStore& store, const Catalogue& catalogue)
    : store_(store), catalogue_(catalogue), shape_(catalogue.layout.Row()) {
  for (int i = 0; i < catalogue.layout.dir_sectors; ++i) {
    std::vector<std::uint8_t> data = store.Get(catalogue.layout.DirectorySector(i)).data;
    data.resize(kSectorBytes, 0);
    sectors_.push_back(std::move(data));
  }
}

std::uint8_t* DirectoryEdit::Entry(int dec) {
  int sector = 0, slot = 0;
  catalogue_.layout.DecPlace(dec, sector, slot);
  if (sector < 0 || sector + 2 >= static_cast<int>(sectors_.size())) return nullptr;
  return sectors_[static_cast<std::size_t>(sector + 2)].data() + slot * shape_.entry_bytes;
}

int DirectoryEdit::FreeDec() {
  for (int dec = RowOf(catalogue_.family).first_user_dec; dec < kSectorBytes; ++dec) {
    const std::uint8_t* e = Entry(dec);
    if (e != nullptr && Hit(dec) == 0 && !(e[0] & (kInUse | kExtended))) return dec;
  }
  return -1;
}

bool DirectoryEdit::Used(int g) const {
  int byte = 0, bit = 0;
  catalogue_.layout.GatBit(g, byte, bit);
  return byte >= catalogue_.layout.GatEditEnd() ||
         (sectors_[0][static_cast<std::size_t>(byte)] >> bit & 1);
}

void DirectoryEdit::Mark(int g, bool used) {
  int byte = 0, bit = 0;
  catalogue_.layout.GatBit(g, byte, bit);
  if (byte >= catalogue_.layout.GatEditEnd()) return;
  std::uint8_t& b = sectors_[0][static_cast<std::size_t>(byte)];
  b = static_cast<std::uint8_t>(used ? b | 1 << bit : b & ~(1 << bit));
}

std::vector<std::pair<int, int>> DirectoryEdit::FreeRuns(int count) const {
  const int longest = catalogue_.layout.LongestExtent();
  const int total = catalogue_.layout.TotalGranules();
  // A granule a live file holds is never given out, whatever the GAT says.
  std::vector<bool> held(static_cast<std::size_t>(total), false);
  for (const File& f : catalogue_.files) {
    for (const Extent& x : f.extents) {
      for (int g = std::max(x.first_granule, 0); g < std::min(x.first_granule + x.granules, total);
           ++g)
        held[static_cast<std::size_t>(g)] = true;
    }
  }
  // Nor one holding the boot sector or a directory sector: where a damaged
  // GAT says such a granule is free, a file put there would overwrite them.
  const Layout& l = catalogue_.layout;
  const auto same = [](const Place& a, const Place& b) {
    return a.cylinder == b.cylinder && a.head == b.head && a.sector == b.sector;
  };
  const std::vector<Place> first = l.Granule(0);
  for (int g = 0; g < total; ++g) {
    for (const Place& p : l.Granule(g)) {
      bool kept = !first.empty() && same(p, first.front());
      for (int i = 0; i < l.dir_sectors && !kept; ++i) kept = same(p, l.DirectorySector(i));
      if (kept) held[static_cast<std::size_t>(g)] = true;
    }
  }
  std::vector<std::pair<int, int>> runs;
  for (int g = 0; g < total && count > 0; ++g) {
    if (Used(g) || held[static_cast<std::size_t>(g)]) continue;
    if (!runs.empty() && runs.back().first + runs.back().second == g &&
        runs.back().second < longest) {
      ++runs.back().second;
    } else {
      runs.emplace_back(g, 1);
    }
    --count;
  }
  return count > 0 ? std::vector<std::pair<int, int>>{} : runs;
}

void DirectoryEdit::Remove(const File& f) {
  // Only the disk's granules: the GAT's bytes past them mark cylinders the
  // disk does not have.
  const int total = catalogue_.layout.TotalGranules();
  for (const Extent& x : f.extents) {
    for (int g = x.first_granule; g < std::min(x.first_granule + x.granules, total); ++g)
      Mark(g, false);
  }
  for (int dec : f.entries) {
    std::uint8_t* e = Entry(dec);
    if (shape_.model3_entries) {
      std::fill(e, e + shape_.entry_bytes, 0);
    } else {
      e[0] = static_cast<std::uint8_t>(e[0] & ~kInUse);
    }
    Hit(dec) = 0;
  }
}

bool DirectoryEdit::Flush() {
  for (std::size_t i = 0; i < sectors_.size(); ++i) {
    if (!store_.Put(catalogue_.layout.DirectorySector(static_cast<int>(i)), sectors_[i])) {
      return false;
    }
  }
  return true;
}

void PutName(std::uint8_t* e, const std::string& name, const std::string& ext) {
  std::fill(e + 5, e + 16, ' ');
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 8), e + 5);
  std::copy_n(ext.begin(), std::min<std::size_t>(ext.size(), 3), e + 13);
}

std::uint8_t NameHashOf(const std::string& name, const std::string& ext) {
  std::uint8_t e[16] = {};
  PutName(e, name, ext);
  return NameHash(e + 5);
}

}  // namespace trivane::trsdos
