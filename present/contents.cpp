#include "present/contents.h"

#include <tuple>

namespace trivane::present {

std::vector<const trsdos::File*> FileRows(const trsdos::Catalogue& catalogue, bool deleted) {
  std::vector<const trsdos::File*> rows;
  for (const trsdos::File& f : catalogue.files) rows.push_back(&f);
  if (deleted) {
    for (const trsdos::File& f : catalogue.deleted) rows.push_back(&f);
  }
  return rows;
}

std::string FileCell(const trsdos::Catalogue& catalogue, const trsdos::File& file, int column) {
  switch (column) {
    case 0:
      return file.Shown() + (file.complete ? "" : " !") +
             (catalogue.IsDeleted(&file) ? " (deleted)" : "");
    case 1:
      return std::to_string(file.size);
    case 2:
      return std::to_string(file.lrl);
    case 3:
      return trsdos::AttributesText(file);
    case 4:
      return file.date;
    default:
      return trsdos::ExtentsText(file);
  }
}

bool FileBefore(const trsdos::Catalogue& catalogue, const trsdos::File& a, const trsdos::File& b,
                int column) {
  if (column == 1) return a.size < b.size;
  if (column == 2) return a.lrl < b.lrl;
  return FileCell(catalogue, a, column) < FileCell(catalogue, b, column);
}

std::string CopyText(const trsdos::Catalogue& catalogue, const std::vector<const trsdos::File*>& rows) {
  std::string text;
  for (const trsdos::File* f : rows) {
    if (!text.empty()) text += '\n';
    for (int c = 0; c < static_cast<int>(kFileColumns.size()); ++c) {
      if (c > 0) text += '\t';
      text += FileCell(catalogue, *f, c);
    }
  }
  return text;
}

std::string SummaryLine(const disk::Disk& disk, const trsdos::Catalogue& c) {
  std::string head;
  if (!disk.error.empty()) {
    head = disk.error;
  } else if (c.family == trsdos::Family::kUnknown) {
    head = "No DOS directory was recognised on this disk.";
  } else {
    head = std::string(trsdos::FamilyName(c.family)) + (c.version.empty() ? "" : " " + c.version) +
           "   disk \"" + c.disk_name + "\" dated \"" + c.disk_date + "\"   " +
           std::to_string(c.granules_free) + " of " + std::to_string(c.granules_total) +
           " granules free";
  }
  return head + (c.evidence.empty() ? "" : "   (why: hover)");
}

std::vector<std::string> FindingsLines(const disk::Disk& disk, const trsdos::Catalogue& c) {
  std::vector<std::string> lines = trsdos::FindingLines(c.findings);
  for (const std::string& p : disk.problems) lines.push_back("sectors: " + p);
  if (c.family == trsdos::Family::kUnknown) {
    for (const std::string& e : c.evidence) lines.push_back("looked at: " + e);
  }
  return lines;
}

std::string DamagedQuestion(const trsdos::File& file, const std::string& why) {
  return file.Shown() + " could not be read whole: " + why + ".\nWrite what was read?";
}

std::string ReplaceQuestion(const std::string& host_name) {
  return host_name + " is there already. Replace it?";
}

std::string FolderFailure(const std::string& folder, const std::string& reason) {
  return "Files cannot be written to " + folder + ":\n" + reason;
}

std::string ContentsTitle(const std::string& file_name) {
  return file_name + " - Trivane";
}

}  // namespace trivane::present
