// Images written from disks and proved before they are kept: a disk
// converted to another container, or a new empty disk, read back with the
// sector reader and its filesystem and compared with what was meant.
#pragma once

#include <string>
#include <vector>

#include "disk/container.h"
#include "fs/filesystem.h"

namespace trivane::ops {

struct Proved {
  std::vector<std::uint8_t> bytes;
  std::vector<std::string> losses;  // what the container could not hold
  std::string error;                // why nothing may be kept; empty when the bytes are sound
  bool fault = false;               // the error is a difference found reading back, not a refusal
};

// The disk written as `to`. Refused (error) when anything would be lost,
// unless `force`; a fault (error) when the written image does not read
// back as the disk: a kept sector unlike its source, or (when nothing was
// lost) a filesystem unlike the source's.
Proved Convert(const disk::Disk& disk, disk::Container to, const disk::WriteOptions& options,
               bool force);

// A new disk as its unit formatted it, written as `to`: refused when the
// unit made none or the container cannot hold it; a fault when it does not
// read back sector for sector and as the unit's check asks.
Proved NewImage(const filesystems::NewDisk& made, disk::Container to,
                const disk::WriteOptions& options);

// What differs between the sectors of `from` and those read back, the lost
// places left out; empty when nothing does.
std::string CompareSectors(const disk::Disk& from, const disk::Disk& back,
                           const std::vector<std::array<int, 3>>& lost);

}  // namespace trivane::ops
