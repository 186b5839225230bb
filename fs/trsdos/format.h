// An empty data disk as each DOS's FORMAT makes one: its tracks (sector ids
// in the DOS's order, E5 fill), boot sector, directory with its mark, GAT,
// HIT and the system files' entries. The disk is made in memory; a container
// writer turns it into an image.
#pragma once

#include <string>
#include <vector>

#include "disk/disk.h"
#include "fs/trsdos/catalogue.h"

namespace trivane::trsdos {

struct NewDiskRequest {
  Family dos = Family::kUnknown;                      // kNewdos80, kTrsdos23, kLdos or kTrsdos13
  int cylinders = 0;                                  // 0: the DOS's usual
  int heads = 0;                                      // 0: the DOS's usual
  int density = 0;                                    // 0: the DOS's usual, 1 single, 2 double
  std::string name;                                   // up to 8 characters; empty: "DATADISK"
  std::string date;                                   // MM/DD/YY
  disk::Container container = disk::Container::kDmk;  // single-density directory marks
};

// The disk, or why the DOS does not format such a disk; its check reads the
// written disk's catalogue (CheckNewCatalogue).
using filesystems::NewDisk;
NewDisk FormatDisk(const NewDiskRequest& request);
// Why the disk's name (at most `longest` characters) or date is none a
// FORMAT takes; empty when both are.
std::string NameAndDateRefusal(const NewDiskRequest& request, std::size_t longest);
// A Reed hard disk of that many drives, each formatted as LDOS formats a
// hard drive (hard_disk_format.cpp).
NewDisk FormatHardDisk(const NewDiskRequest& request, int drives);

// What the catalogue of a new disk must say: the DOS, no files, no
// findings, the disk's name and date; empty when it does, else what differs.
std::string CheckNewCatalogue(const NewDiskRequest& request, const Catalogue& catalogue);

}  // namespace trivane::trsdos
