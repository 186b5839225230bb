// Runs images built in code through the core, with the image shown in hex
// when an assertion fails.
#pragma once

#include <gtest/gtest.h>

#include "builder/image_builder.h"
#include "identification/identify_image.h"
#include "identification/locator.h"
#include "identification/recording_window.h"

namespace trivane::test {

using build::Bytes;

struct Session {
  AnalysisRecord record;
  RecordingWindow window;

  // Loads the image as a file click does and identifies it.
  void Identify(const Bytes& image);
  // Asks the locator for a sector of the loaded image; true when found.
  bool Find(int track, int side, int sector);
};

// Identifies one image in a new session.
Session Identified(const Bytes& image);

// The image's first bytes and those around offset, for failure messages.
std::string Dump(const Bytes& image, Offset around = 0);

// The PDRIVE report for an entry, read off a Newdos/80 JV1 image.
std::string PdriveText(const build::Pdrive& pdrive);

inline constexpr const char* kNoHeader =
    "** ERROR **\r This file does not have an EMULATOR Disk format HEADER\r"
    "    It may be a Disk file for use with a dedicated program";
inline constexpr const char* kNotFound = "** ERROR **  Not found, or File format faulty";

// The texts of the fields, in the order given.
using Lines = std::vector<std::string>;
Lines Texts(const RecordingWindow& window, std::initializer_list<Field> fields);

// Every result field identification writes is empty.
void ExpectResultFieldsEmpty(const RecordingWindow& window);

}  // namespace trivane::test
