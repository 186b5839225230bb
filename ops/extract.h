// Extracting chosen files of a disk into a host folder, the same for every
// front end: each file read, given only when read whole or when the user
// says so, written under its host name (deleted/ for deleted files), never
// over a file unless the user says so; the front end answers the questions
// and is told the end.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fs/filesystem.h"

namespace trivane::ops {

// An answer that may stand for the rest of the run.
enum class Choice { kYes, kNo, kAll, kNone, kCancel };

struct ExtractQuestions {
  // A file not read whole: write what was read? (why: what is damaged)
  std::function<Choice(const filesystems::Entry& file, const std::string& why)> damaged;
  // The host file is there already: replace it?
  std::function<Choice(const std::string& host_name)> replace;
  // After each file; false stops the run.
  std::function<bool(std::size_t done, std::size_t total)> progress;
};

struct ExtractSummary {
  int written = 0, with_damage = 0, skipped = 0, failed = 0;
  int not_whole = 0;  // of the skipped: not read whole, and not to be written so
  bool cancelled = false;
  // The folder cannot take files (read-only, full, no permission): the
  // system's reason, said once; nothing more was tried.
  std::string folder_failure;
  // What befell single files, one line each ("FILE/CMD: not written, ...",
  // "deleted/FILE.CMD: not written, it exists already", "FILE/CMD: cylinder
  // 3 head 0 sector 4: given as read, ...").
  std::vector<std::string> lines;

  // "3 files written, 1 of them with damage; 2 skipped; 1 not written".
  std::string Line() const;
};

ExtractSummary ExtractFiles(const filesystems::Filesystem& fs,
                            const std::vector<filesystems::Entry>& files,
                            const std::filesystem::path& folder, const ExtractQuestions& ask);

}  // namespace trivane::ops
