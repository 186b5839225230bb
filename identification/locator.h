// The locator and the sector display as the window's operations see them:
// the search (sectors/locate.h) with its message box, and the summary line.
#pragma once

#include "identification/analysis_record.h"
#include "identification/window_ops.h"

namespace trivane {

// Finds sector SecToFind of track TrkToFind, side SideToFind of a JV3 or DMK
// image. Answers errflg 0 with fpa at the sector's first data byte, or errflg 1.
void FindSector(AnalysisRecord& record, WindowOps& window);

// Writes the geometry summary into the result fields, looks up the present
// sector PresSecnum and prints its classification line.
void GetDispSector(AnalysisRecord& record, WindowOps& window);

}  // namespace trivane
