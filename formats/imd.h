// IMD (ImageDisk): a text header, then one record a track.
//
//   "IMD v.vv: dd/mm/yyyy hh:mm:ss" CR LF, a free comment, then 1A
// Each track record:
//   mode      0, 1, 2: FM at 500, 300, 250 kbit/s; 3, 4, 5: MFM at the same
//   cylinder
//   head      bit 0 the head; bit 7: a cylinder map follows, bit 6: a head map
//   count     sectors on the track
//   size      128 << size; FF: a table of sizes (16 bits each) follows
//   the sectors' ids (count bytes), then the cylinder map and the head map
//   (count bytes each) when flagged, then the size table when FF
//   per sector a record: 0 no data; 1 its data; 2 one byte that fills it;
//   3 and 4 the same as 1 and 2 for deleted data; 5 to 8 the same four
//   with a data error
// IMD knows only "deleted" or not: a deleted sector reads back with mark F8,
// others with FB. It keeps no ID field that failed its CRC.
#pragma once

#include <string_view>

namespace trivane::imd {

inline constexpr std::string_view kSignature = "IMD ";
inline constexpr int kHeaderEnd = 0x1A;
inline constexpr int kModes = 6;
inline constexpr int kFirstMfmMode = 3;
inline constexpr int kFmMode = 2;  // 250 kbit/s: 5.25" disks at 300 rpm
inline constexpr int kMfmMode = 5;
inline constexpr int kHeadBit = 0x01;
inline constexpr int kCylinderMap = 0x80;
inline constexpr int kHeadMap = 0x40;
inline constexpr int kSizeTable = 0xFF;
inline constexpr int kMostSizeCode = 6;  // 8192 bytes
inline constexpr int kNoData = 0;
inline constexpr int kLastRecord = 8;
// A record's kind from its number: (n - 1) bit 0 compressed, bit 1 deleted,
// bit 2 data error.
inline constexpr int kCompressed = 1;
inline constexpr int kDeleted = 2;
inline constexpr int kDataError = 4;
inline constexpr int kDeletedMark = 0xF8;
inline constexpr int kDataMark = 0xFB;

}  // namespace trivane::imd
