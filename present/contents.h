// What a contents window shows of an image, the same in every front end:
// the files table (its columns, each cell's text, the order a column sorts
// by, the text a copy puts on the clipboard), the summary line over it, the
// findings under it, and the texts of the extract run. Each front end maps
// these onto its own controls.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "disk/disk.h"
#include "fs/filesystem.h"
#include "ops/extract.h"

namespace trivane::present {

using filesystems::Entry;
using filesystems::Filesystem;

// The headings of the files table's columns.
std::vector<std::string> FileColumns(const Filesystem& fs);
// The files in directory order, the deleted after them on request.
std::vector<Entry> FileRows(const Filesystem& fs, bool deleted);
// A cell: the name with " !" when not read whole and " (deleted)" for a
// deleted file; the others as the family lists them.
std::string FileCell(const Filesystem& fs, const Entry& file, int column);
// Whether the column sorts by number (size, record length).
bool SortsByNumber(const Filesystem& fs, int column);
// Whether a comes before b when the column sorts: by number where it
// sorts so, the others by their text.
bool FileBefore(const Filesystem& fs, const Entry& a, const Entry& b, int column);
// The rows as lines of tab-separated cells, as a copy gives them.
std::string CopyText(const Filesystem& fs, const std::vector<Entry>& rows);

// The DOS and what it says of the disk (its name and date, its free space),
// or why there is none; "(why: hover)" when the evidence can be shown on hover.
std::string SummaryLine(const disk::Disk& disk, const Filesystem& fs);
// The filesystem's findings, the sector reader's problems, and on a disk no
// unit explains what was looked at.
std::vector<std::string> FindingsLines(const disk::Disk& disk, const Filesystem& fs);

// The extract run's questions, and what is said when the folder takes nothing.
std::string DamagedQuestion(const Entry& file, const std::string& why);
std::string ReplaceQuestion(const std::string& host_name);
std::string FolderFailure(const std::string& folder, const std::string& reason);
// A hard disk's drives, one entry each in the contents window ("Drive 0:
// LDM3HDA, LDOS 5.3"), and the disk shown: the drive wanted, else the
// first; a floppy (or a hard disk where no drive was found) has no entry
// and is shown itself.
struct DriveChoice {
  std::vector<int> numbers;
  std::vector<std::string> labels;
  int shown = -1;  // the index of the drive shown
  disk::Disk disk;
};
DriveChoice ChooseDrive(const disk::Disk& disk, int wanted);

// The window's title: the image file's name, then the program's.
std::string ContentsTitle(const std::string& file_name);

}  // namespace trivane::present
