// The commands on tapes: a file whose content is a tape (a CAS file, a WAV
// recording) is listed, extracted, shown, converted and put on disks as its
// programs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "ops/tapes.h"

namespace trivane::disktool {

// The programs: kind, name, speed, blocks, checksum state, load range and
// entry, then the findings.
std::string TapeDirText(const ops::OpenedTape& t);
// {"file", "container", "programs": [{"kind", "name", "baud", "blocks",
// "bad_checksums", "load", "end", "entry", "size", "sha256", "findings"}]}
std::string TapeDirJson(const ops::OpenedTape& t);

// Each program as its disk file into the folder (NAME.CMD, NAME.BAS,
// NAME.ASM), with --listings each BASIC program's listing beside it.
int ExtractTape(const ops::OpenedTape& t, const std::vector<std::string>& names,
                const std::string& folder, bool listings);
// The program a typed name means (its name, or its file's), or nullptr.
const ops::TapeFile* FindTapeFile(const std::vector<ops::TapeFile>& files,
                                  const std::string& typed);

// When the image is a tape, the program named as its file; is_tape false
// when it is none (nothing said), file empty when the tape has no such
// program or cannot be read (said on standard error).
struct TapeLookup {
  bool is_tape = false;
  std::optional<ops::TapeFile> file;
};
TapeLookup LookUpTapeFile(const std::string& image, const std::string& name);

// convert TAPE OUT [--baud B]; convert --to cas|wav -o DIR TAPE...
int ConvertTape(const cli::Parsed& p);
int ConvertTapes(const cli::Parsed& p, tape::Container to);
// new TAPE --from DISK NAME...
int NewTape(const cli::Parsed& p);

}  // namespace trivane::disktool
