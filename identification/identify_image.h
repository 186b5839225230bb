#pragma once

#include <filesystem>
#include <string>

#include "identification/analysis_record.h"
#include "identification/window_ops.h"

namespace trivane {

// Identifies the image in record.filebuf: clears the previous result, decides
// the container (JV1, DMK or JV3), works out the geometry, refuses what it
// cannot decode with a message box, probes for Newdos/80 and shows the summary.
void IdentifyImage(AnalysisRecord& record, WindowOps& window);

// Clears the drawing surface and every result field, as identification does
// before it looks at an image.
void ClearResult(WindowOps& window);

// What a click on a file does: shows its name in Text16, loads it into the
// record and identifies it. Returns why it could not be loaded (the result
// fields are then cleared), or an empty text.
std::string LoadAndIdentify(const std::filesystem::path& path, AnalysisRecord& record,
                            WindowOps& window);

}  // namespace trivane
