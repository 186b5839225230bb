// The data address marks a floppy controller writes before a sector's data:
// FB for data; FA (single density) and F8 (double) for the directory's
// sectors, as TRS-80 DOSes write them; F9 and F8 as "deleted" data elsewhere.
// Real disks also carry F8 on single-density directory sectors.
#pragma once

namespace trivane::marks {

inline constexpr int kData = 0xFB;
inline constexpr int kDirectorySingle = 0xFA;
inline constexpr int kDirectoryDouble = 0xF8;

}  // namespace trivane::marks
