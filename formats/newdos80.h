// Newdos/80's system sector (track 0 sector 2, or 3 on disks whose sectors
// are numbered from 1): the PDRIVE entry in its first ten bytes, and the
// signature byte 165 at its byte 239.
#pragma once

#include "formats/image_buffer.h"

namespace trivane::newdos80 {

inline constexpr Offset kSignatureAt = 239;
inline constexpr int kSignature = 165;
inline constexpr int kPdriveBytes = 10;

}  // namespace trivane::newdos80
