// The message boxes of the three refusals. The first two break their lines
// with CR alone, the third with CR LF.
#include "identification/stages.h"

namespace trivane::stages {

void RefuseNoHeader(WindowOps& w) {
  w.MessageBox(
      "** ERROR **\r"
      " This file does not have an EMULATOR Disk format HEADER\r"
      "    It may be a Disk file for use with a dedicated program",
      "Error");
}

void RefuseRealDisk(WindowOps& w) {
  w.MessageBox(
      "** ERROR **  This file is a DMK type REAL disk format,\r"
      "                     used to access REAL Disks",
      "Error");
}

void RefuseDoubleByte(WindowOps& w) {
  w.MessageBox(
      "This file is a   Model 1,Single Density, Double Byte   file\r\n"
      "   It cannot be decoded at this stage\r\n"
      "\r\n"
      "  The Hex Editor Mode will read and show the file format",
      "Read Error");
}

}  // namespace trivane::stages
