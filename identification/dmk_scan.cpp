// The DMK branch (layout in formats/dmk.h): recognition by track length, the
// refusal tests and the scan of the track blocks. Identification reads neither
// the write-protect byte nor the option flags, and takes the number of tracks
// from the file length rather than from byte 1.
#include <algorithm>

#include "formats/dmk.h"
#include "identification/stages.h"

namespace trivane::stages {
namespace {

constexpr Offset kFirstBlock = dmk::kHeaderBytes;
constexpr int kSideScanBlocks = 10;
using dmk::kIdMark;

// The first track block. The terminating zero pointer takes part in the sector
// number and double-byte tests before it ends the list. False on a refusal.
bool ScanFirstTrack(AnalysisRecord& r, WindowOps& w) {
  int lowest = 50;
  r.fpa = kFirstBlock;
  int i = 0;
  for (; i < kPointerTable; ++i) {
    const int p = r.DmkPointer(r.fpa);
    r.idamptr[i] = p;
    lowest = std::min<int>(lowest, r.byte(kFirstBlock + p + 3));
    if (r.byte(kFirstBlock + p) == kIdMark && r.byte(kFirstBlock + p + 1) == kIdMark) {
      RefuseDoubleByte(w);
      return false;
    }
    if (p == 0) break;
    r.fpa += 2;
  }
  r.spt = i;
  r.firstsecnum = lowest;
  return true;
}

// Two sides when an ID field among the first ten track blocks names side 1.
// Each block is read through its own pointer table, and only pointers that
// lead to an ID address mark count.
void ScanSides(AnalysisRecord& r) {
  r.sides = 1;
  for (int k = 0; k < kSideScanBlocks; ++k) {
    const Offset block = kFirstBlock + k * r.trklength;
    if (block >= r.fileend) break;
    const int count = r.ReadPointerTable(block);
    for (int i = 0; i < count; ++i) {
      const int p = r.idamptr[i];
      if (r.byte(block + p) == kIdMark && r.byte(block + p + 2) == 1) r.sides = 2;
    }
  }
}

// File length over the bytes of one track, to the nearest whole number, a half
// going to the even neighbour.
int RoundedTracks(Offset fileend, Offset track_bytes) {
  Offset q = fileend / track_bytes;
  const Offset twice_rest = 2 * (fileend % track_bytes);
  if (twice_rest > track_bytes || (twice_rest == track_bytes && q % 2 == 1)) ++q;
  return static_cast<int>(q);
}

void CountTracks(AnalysisRecord& r) {
  r.tracks = RoundedTracks(r.fileend, r.sides * r.trklength);
  if (r.tracks + 1 > static_cast<int>(r.trksecs.size())) r.trksecs.resize(r.tracks + 1, 0);
  for (int t = 0; t < r.tracks; ++t) r.trksecs[t] = r.spt;
}

// Every block of the file, both sides alike, for the lowest sector number;
// sector numbers of 30 and above never lower it. Nothing is lower than 0, so
// the scan ends at the first sector 0; fpa is left at the start of the file's
// last block wherever it ends.
void ScanLowestSector(AnalysisRecord& r) {
  int lowest = 30;
  r.tracksideflag = 0;
  for (Offset block = kFirstBlock; block < r.fileend && lowest > 0; block += r.trklength) {
    r.spt = r.ReadPointerTable(block);
    for (int j = 0; j < r.spt; ++j) {
      lowest = std::min<int>(lowest, r.byte(block + r.idamptr[j] + 3));
    }
  }
  r.fpa = r.fileend > kFirstBlock
              ? kFirstBlock + (r.fileend - 1 - kFirstBlock) / r.trklength * r.trklength
              : kFirstBlock;
  r.firstsecnum = lowest;
}

}  // namespace

bool RecogniseDmk(AnalysisRecord& r) {
  r.trklength = r.byte(2) + 256 * r.byte(3);
  r.spg = 5;
  if (r.fileend < 4) return false;
  if (r.trklength == dmk::kDoubleTrack || r.trklength == dmk::kDoubleTrackLong) {
    r.dmkflag = 1;
    r.dens = 2;
    r.spg = 6;
    r.damindex = dmk::kDoubleDataMarkDistance;
  } else if (r.trklength == dmk::kSingleTrack) {
    r.dmkflag = 1;
    r.dens = 1;
    r.spg = 5;
    r.damindex = dmk::kSingleDataMarkDistance;
  }
  return r.dmkflag == 1;
}

bool IsRealDisk(const AnalysisRecord& r) {
  for (int i = 0; i < 4; ++i) {
    if (r.byte(dmk::kRealDiskAt + i) != dmk::kRealDiskSignature[i]) return false;
  }
  return true;
}

bool ScanDmk(AnalysisRecord& r, WindowOps& w) {
  if (!ScanFirstTrack(r, w)) return false;
  ScanSides(r);
  CountTracks(r);
  ScanLowestSector(r);
  return true;
}

}  // namespace trivane::stages
