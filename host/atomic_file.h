// The one way Trivane writes a file of the host, images and extracted files
// alike: the bytes go to a new file beside the path (PATH.part, or
// PATH.part2, ... whichever is free, so that no file of the user's is ever
// overwritten on the way), are flushed, read back and compared, and only
// then is that file renamed over the path. A failure leaves nothing behind
// and the path as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>

namespace trivane::host {

struct WriteRules {
  bool replace = false;  // over a file that is there already
  bool backup = false;   // the file there before kept as PATH.bak (written the same way)
};

// What came of a write: done, or the step that failed and the system's reason.
struct WriteResult {
  enum class Step { kDone, kExists, kNotPlain, kWrite, kReadBack, kPlace, kBackup };
  Step step = Step::kDone;
  std::error_code code;
  bool ok() const { return step == Step::kDone; }
  // The reason holds for every file of the folder (read-only, full, no
  // permission, no such folder): said once, nothing more tried there.
  bool FolderWide() const;
};

WriteResult WriteAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                            WriteRules rules);

}  // namespace trivane::host
