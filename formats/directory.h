// Where the TRS-80 DOSes put the directory of a standard disk: cylinder 17,
// which a JV1 file's boot sector names (byte 2) and whose sectors read with
// the directory's data mark.
#pragma once

namespace trivane {

inline constexpr int kDirectoryCylinder = 17;

}  // namespace trivane
