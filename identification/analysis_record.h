// The analysis record: the one state that identification, the sector locator
// and the geometry summary share. A caller stores what a procedure needs here,
// calls the procedure, and reads what it left. A new record holds every number
// 0 and every text empty; identification resets only some of it, so values a
// branch does not set stay from the previous image.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formats/image_buffer.h"

namespace trivane {

// Tracks the per-track table always covers: every JV3 track byte (0 to 254)
// and the one index past the last track that the summary's track walk reads.
inline constexpr int kMinTrackTable = 256;
inline constexpr int kPointerTable = 31;

struct AnalysisRecord {
  // Image.
  ImageBuffer filebuf;
  Offset fileend = 0;
  std::string filea;

  // Format and geometry.
  int jv1 = 0;
  int dmkflag = 0;
  std::string Emtype;
  Offset trklength = 0;
  int damindex = 0;
  int tracks = 0;
  int sides = 0;
  int dens = 0;  // 0 none seen, 1 single, 2 double, 3 dual density
  int spt = 0;
  std::vector<int> trksecs = std::vector<int>(kMinTrackTable, 0);
  std::array<int, kPointerTable> idamptr{};
  int firstsecnum = 0;
  int tracksideflag = 0;

  // Newdos/80 recognition.
  int newdosflag = 0;
  int spg = 0;
  std::string pdrive;
  int curbyte = 0;

  // Sector locator request and answer.
  int TrkToFind = 0;
  int SideToFind = 0;
  int SecToFind = 0;
  int errflg = 0;
  Offset fpa = 0;
  int datamarkjv = 0;
  int datamarkDmk = 0;

  // Summary texts.
  std::string dd;
  std::string sda;
  std::string spgaa;
  std::string sptab;
  Offset PresSecnum = 0;
  Offset dirstartsec = 0;

  std::uint8_t byte(Offset offset) const { return filebuf.at(offset); }

  // DMK: the ID-mark pointer at the offset, its double-density bit masked off.
  int DmkPointer(Offset at) const { return byte(at) + (byte(at + 1) & 127) * 256; }
  // DMK: reads the pointer table of the track block at block into idamptr, up
  // to and including the first zero pointer; returns the number of non-zero
  // pointers, 31 when none of the 31 read is zero.
  int ReadPointerTable(Offset block);

  // Sector count of track t on side 0; 0 for a track outside the table.
  int TrackSectors(Offset t) const {
    return t >= 0 && t < static_cast<Offset>(trksecs.size()) ? trksecs[t] : 0;
  }
};

// A number as the summary and report texts write it: its digits after one
// blank, or after a minus sign when negative (5 gives " 5").
std::string NumberText(Offset n);

}  // namespace trivane
