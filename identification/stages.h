// The stages of IdentifyImage, each in a file of its own.
#pragma once

#include "identification/analysis_record.h"
#include "identification/window_ops.h"

namespace trivane::stages {

// dmk_scan.cpp. Reads the track length from bytes 2 and 3 and, when it is one
// of the DMK lengths, sets dmkflag and the density values; true for DMK.
bool RecogniseDmk(AnalysisRecord& r);
bool IsRealDisk(const AnalysisRecord& r);
// Scans the track blocks for sides, tracks, sectors per track and the lowest
// sector number. False when the image was refused (double-byte single density).
bool ScanDmk(AnalysisRecord& r, WindowOps& w);

// jv3_scan.cpp.
bool IsJv3(const AnalysisRecord& r);
void ScanJv3(AnalysisRecord& r);

// refusals.cpp.
void RefuseNoHeader(WindowOps& w);
void RefuseRealDisk(WindowOps& w);
void RefuseDoubleByte(WindowOps& w);

// system_probe.cpp: the closing stage, the probe for the Newdos/80 signature.
enum class Probe {
  kSignature,    // found, fpa at the system sector's first data byte
  kNoSignature,  // the system sector holds none
  kNotFound,     // the locator found no system sector: identification ends
};
Probe ProbeJv1(AnalysisRecord& r);
// Stores the density, sides and type texts first.
Probe ProbeScanned(AnalysisRecord& r, WindowOps& w);
// Hands a scanned or Newdos/80 image over to the geometry summary.
void HandOver(AnalysisRecord& r, WindowOps& w);

// newdos_report.cpp: entered with fpa at the system sector's first data byte.
// False when the boot sector of a JV3 or DMK image is not found, which ends
// identification silently.
bool ReportNewdos(AnalysisRecord& r, WindowOps& w);

}  // namespace trivane::stages
