// An MS-DOS disk (FAT12) as DOS reaches it. Logical sector n lies on track
// n / sectors a track (cylinder track / heads, head track % heads), sector
// id 1 + n % sectors a track. Sector 0 is the boot sector (little-endian):
//   0     a jump (EB xx or E9 xx xx)      11  bytes a sector
//   13    sectors a cluster               14  reserved sectors (the boot's)
//   16    FATs                            17  root directory entries
//   19    sectors of the disk             21  media byte (F0 up)
//   22    sectors a FAT                   24  sectors a track   26  heads
// Then the FATs (12 bits an entry: cluster n's at byte n * 3 / 2, the low
// 12 bits of the word there for even n, the high 12 for odd; FF8 up ends a
// chain, 000 free, FF7 bad), the root directory, and the clusters from 2.
// A directory entry, 32 bytes: 0 the name (00 none after, E5 deleted, 05
// for a leading E5), 8 the type, 11 attributes (01 read-only, 02 hidden, 04
// system, 08 volume label, 10 directory, 20 archive), 22 time, 24 date
// (day bits 0-4, month 5-8, year - 1980 9-15), 26 first cluster, 28 size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/sector_store.h"
#include "fs/filesystem.h"

namespace trivane::fat {

struct Boot {
  int sector_bytes = 0, cluster_sectors = 0, reserved = 0, fats = 0, root_entries = 0;
  int sectors = 0, media = 0, fat_sectors = 0, track_sectors = 0, heads = 0;
  int RootStart() const { return reserved + fats * fat_sectors; }
  int DataStart() const {
    return RootStart() + (root_entries * 32 + sector_bytes - 1) / sector_bytes;
  }
  int Clusters() const { return (sectors - DataStart()) / cluster_sectors; }
};

// The boot sector's fields; false when the bytes are no boot sector that
// DOS writes (or not one of a FAT12 disk).
bool ReadBoot(const std::vector<std::uint8_t>& sector, Boot& boot);

struct File {
  std::string path;  // "DIR\\NAME.EXT": the directories it lies in, then its name
  std::string name, ext;
  int attributes = 0, date = 0, cluster = 0;
  std::int64_t size = 0;
  std::vector<int> clusters;  // its chain, as far as the FAT gives it
  bool complete = true;
};

struct Directory {
  std::string label;
  std::vector<File> files;
  std::vector<filesystems::Finding> findings;
  int free_clusters = 0;
};

class Volume {
 public:
  Volume(const disk::SectorStore& store, const Boot& boot) : store_(store), boot_(boot) {}
  const Boot& boot() const { return boot_; }
  // Appends the logical sector's bytes to out; a sector that failed its
  // CRC as read, a missing one as zeros, each noted.
  void ReadSector(int n, filesystems::FileBytes& out) const;
  // The FAT's entry for the cluster (from the first FAT).
  int Next(const std::vector<std::uint8_t>& fat, int cluster) const;
  // Every file and directory, from the root down, with its chain checked.
  Directory ReadDirectories() const;
  // The file's bytes: its clusters, cut to its size.
  filesystems::FileBytes ReadFile(const File& f) const;

 private:
  disk::Place PlaceOf(int n) const;
  std::vector<std::uint8_t> Fat(Directory& d) const;
  std::vector<int> Chain(const std::vector<std::uint8_t>& fat, File& f, Directory& d) const;
  void ReadEntries(const std::vector<std::uint8_t>& bytes, const std::string& path,
                   const std::vector<std::uint8_t>& fat, int depth, Directory& d) const;

  const disk::SectorStore& store_;
  Boot boot_;
};

// "YYYY-MM-DD", or empty for none.
std::string DateText(int date);

}  // namespace trivane::fat
