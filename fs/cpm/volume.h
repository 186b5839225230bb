// A disk as CP/M reaches it through one set of parameters: the data area
// (every sector after the reserved tracks, in logical order) as bytes, its
// blocks, and the directory's 32-byte entries.
#pragma once

#include <cstdint>
#include <vector>

#include "disk/sector_store.h"
#include "fs/cpm/params.h"
#include "fs/filesystem.h"

namespace trivane::cpm {

// The lowest sector id of each track among the sectors of one size (-1
// for a track without any): where a track's slots are numbered from.
class TrackIds {
 public:
  TrackIds(const disk::Disk& disk, int size);
  int First(int cylinder, int head) const;

 private:
  int heads_ = 1;
  std::vector<int> first_;  // by cylinder * heads + head
};

// The cylinders and heads that hold sectors (one past the last of each):
// what CP/M reads of a disk, whatever its container counts.
struct Held {
  int cylinders = 0, heads = 0;
};
Held HeldTracks(const disk::Disk& disk);

class Volume {
 public:
  Volume(const disk::SectorStore& store, const Params& p, const TrackIds& ids);
  const Params& params() const { return p_; }
  const disk::SectorStore& store() const { return store_; }

  // The place of the data area's sector n; false past the disk's tracks or
  // on a track without sectors of the size.
  bool PlaceOf(std::int64_t n, disk::Place& place) const;
  // Appends the data area's bytes [at, at + count) to out: a sector that
  // failed its CRC as read, a missing one as zeros, each noted with the
  // offset it has in out.
  void Read(std::int64_t at, std::int64_t count, filesystems::FileBytes& out) const;
  // Whether every sector of the bytes is there and passed its CRCs.
  bool Whole(std::int64_t at, std::int64_t count) const;

 private:
  const disk::SectorStore& store_;
  Params p_;
  const TrackIds& ids_;
  std::vector<int> skew_;
};

}  // namespace trivane::cpm
