// The sector locator's search, apart from the window it reports to.
#pragma once

#include "identification/analysis_record.h"

namespace trivane {

// Looks for sector SecToFind of track TrkToFind, side SideToFind of a JV3 or
// DMK image: errflg 0 with fpa at the sector's first data byte, or errflg 1.
// True when a JV3 search ran past the file's end, which the window reports.
bool LocateSector(AnalysisRecord& record);

}  // namespace trivane
