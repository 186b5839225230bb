// Newdos/80's system sector (track 0 sector 2, or 3 on disks whose sectors
// are numbered from 1): the PDRIVE table from its byte 0, and the signature
// byte 165 at its byte 239.
#pragma once

#include "formats/image_buffer.h"

namespace trivane::newdos80 {

inline constexpr Offset kSignatureAt = 239;
inline constexpr int kSignature = 165;
// The PDRIVE table: an entry of 16 bytes for each of 10 drives, entry 0 for
// drive 0; identification shows the first kPdriveBytes of one entry.
inline constexpr int kPdriveBytes = 10;
inline constexpr int kPdriveEntries = 10;
inline constexpr int kPdriveEntryBytes = 16;

// A hard drive's PDRIVE entry (the real NEWDOS/80 hard disk's, its GATs and
// DIR/SYS entries bearing each field out): +0 DDSL, +1 the lumps its GAT
// gives out, +3 sectors a granule (a floppy's TC), +4 sectors a track (a
// slice of each cylinder), +5 GPL, +6 its first sector in each cylinder / 4,
// +9 the directory's sectors (a floppy's DDGA counts granules), +10-11 the
// drive's sectors (low byte first).
inline constexpr int kHardGranuleSectorsAt = 3, kHardFirstSectorAt = 6;
inline constexpr int kHardFirstSectorUnit = 4, kHardSectorsAt = 10;

}  // namespace trivane::newdos80
