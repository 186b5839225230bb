// One file's identification, as a click in the window makes it: a new record
// and a new window, the file loaded whole, Text16 showing its name.
#pragma once

#include <string>

#include "identification/analysis_record.h"
#include "identification/recording_window.h"

namespace trivane::report {

struct FileReport {
  std::string file;   // the path as given
  std::string error;  // why the file could not be read; empty when it was
  AnalysisRecord record;
  RecordingWindow window;
};

FileReport ReportFile(const std::string& path);

// One JSON object on one line.
std::string JsonLine(const FileReport& report);
// A block of lines for a person reading a terminal.
std::string TextBlock(const FileReport& report);

}  // namespace trivane::report
