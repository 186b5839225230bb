// A directory held in memory to be changed as its DOS changes it: the GAT's
// granule bits, the HIT, the entries by DEC (32-byte entries, DEC = slot <<
// 5 | entry sector; Model III: 48-byte entries numbered in order), the free
// granules and slots by each DOS's rule; written back through the store.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "disk/sector_store.h"
#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/change.h"

namespace trivane::trsdos {

class DirectoryEdit {
 public:
  DirectoryEdit(disk::SectorStore& store, const Catalogue& catalogue);

  const SchemeRow& shape() const { return shape_; }
  const Layout& layout() const { return catalogue_.layout; }
  // The extents one entry holds (the last pair of a linked entry is the link).
  int extent_slots() const { return shape_.extent_pairs - (shape_.linked ? 1 : 0); }
  // The entry at the DEC, nullptr when the directory has no such slot.
  std::uint8_t* Entry(int dec);
  std::uint8_t& Hit(int dec) { return sectors_[1][static_cast<std::size_t>(dec)]; }
  // The first free slot the DOS would give a new entry, -1 when none.
  int FreeDec();

  bool Used(int granule) const;
  void Mark(int granule, bool used);
  // Runs of free granules, from granule 0 up, enough for `count`, each at
  // most as long as an extent holds; empty when the disk has too few.
  std::vector<std::pair<int, int>> FreeRuns(int count) const;

  // Deletes the file as its DOS does: its granules free in the GAT, its HIT
  // bytes 0, its entries' in-use bit cleared (Model III: the entry zeroed).
  void Remove(const File& f);

  // Writes every directory sector back; false when one cannot be written.
  bool Flush();

 private:
  disk::SectorStore& store_;
  const Catalogue& catalogue_;
  const SchemeRow& shape_;
  std::vector<std::vector<std::uint8_t>> sectors_;  // GAT, HIT, entry sectors
};

// The 8 + 3 name bytes at +5 of an entry, blank-padded.
void PutName(std::uint8_t* entry, const std::string& name, const std::string& ext);
std::uint8_t NameHashOf(const std::string& name, const std::string& ext);

}  // namespace trivane::trsdos
