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

}  // namespace trivane::newdos80
