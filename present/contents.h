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
#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/extract.h"

namespace trivane::present {

inline constexpr std::array<const char*, 6> kFileColumns = {"Name/Ext", "Size", "LRL",
                                                            "Attr",     "Date", "Extents"};

// The catalogue's files in directory order, the deleted after them on request.
std::vector<const trsdos::File*> FileRows(const trsdos::Catalogue& catalogue, bool deleted);
// A cell: the name with " !" when not read whole and " (deleted)" for a
// deleted file; size and LRL in decimal; attributes, date and extents.
std::string FileCell(const trsdos::Catalogue& catalogue, const trsdos::File& file, int column);
// Whether a comes before b when the column sorts: size and LRL by number,
// the others by their text.
bool FileBefore(const trsdos::Catalogue& catalogue, const trsdos::File& a, const trsdos::File& b,
                int column);
// The rows as lines of tab-separated cells, as a copy gives them.
std::string CopyText(const trsdos::Catalogue& catalogue, const std::vector<const trsdos::File*>& rows);

// The DOS, the disk's name and date and its free space, or why there is none;
// "(why: hover)" when the evidence can be shown on hover.
std::string SummaryLine(const disk::Disk& disk, const trsdos::Catalogue& catalogue);
// The catalogue's findings, the sector reader's problems, and on a disk no
// DOS explains what was looked at.
std::vector<std::string> FindingsLines(const disk::Disk& disk, const trsdos::Catalogue& catalogue);

// The extract run's questions, and what is said when the folder takes nothing.
std::string DamagedQuestion(const trsdos::File& file, const std::string& why);
std::string ReplaceQuestion(const std::string& host_name);
std::string FolderFailure(const std::string& folder, const std::string& reason);
// The window's title: the image file's name, then the program's.
std::string ContentsTitle(const std::string& file_name);

}  // namespace trivane::present
