#include "present/contents.h"

#include <cstdlib>

#include "ops/drives.h"

namespace trivane::present {

std::vector<std::string> FileColumns(const Filesystem& fs) {
  std::vector<std::string> out;
  for (const filesystems::Column& c : fs.TableColumns()) out.push_back(c.heading);
  return out;
}

std::vector<Entry> FileRows(const Filesystem& fs, bool deleted) {
  return fs.List(deleted);
}

std::string FileCell(const Filesystem& fs, const Entry& file, int column) {
  const std::vector<filesystems::Column> columns = fs.TableColumns();
  const std::string& key = columns.at(static_cast<std::size_t>(column)).key;
  if (key != "name") return filesystems::CellOf(file, key);
  return file.name + (file.complete ? "" : " !") + (file.deleted ? " (deleted)" : "");
}

bool SortsByNumber(const Filesystem& fs, int column) {
  return fs.TableColumns().at(static_cast<std::size_t>(column)).number;
}

bool FileBefore(const Filesystem& fs, const Entry& a, const Entry& b, int column) {
  const std::string x = FileCell(fs, a, column), y = FileCell(fs, b, column);
  if (SortsByNumber(fs, column)) return std::atoll(x.c_str()) < std::atoll(y.c_str());
  return x < y;
}

std::string CopyText(const Filesystem& fs, const std::vector<Entry>& rows) {
  const std::size_t columns = fs.TableColumns().size();
  std::string text;
  for (const Entry& f : rows) {
    if (!text.empty()) text += '\n';
    for (std::size_t c = 0; c < columns; ++c) {
      if (c > 0) text += '\t';
      text += FileCell(fs, f, static_cast<int>(c));
    }
  }
  return text;
}

std::string SummaryLine(const disk::Disk& disk, const Filesystem& fs) {
  std::string head;
  if (!disk.error.empty()) {
    head = disk.error;
  } else if (fs.Score() == 0) {
    head = "No DOS directory was recognised on this disk.";
  } else {
    head = fs.Name();
    for (const std::string& fact : fs.Facts()) head += "   " + fact;
  }
  return head + (fs.Evidence().empty() ? "" : "   (why: hover)");
}

std::vector<std::string> FindingsLines(const disk::Disk& disk, const Filesystem& fs) {
  std::vector<std::string> lines = fs.CheckLines();
  for (const std::string& p : disk.problems) lines.push_back("sectors: " + p);
  if (fs.Score() == 0) {
    for (const std::string& e : fs.Evidence()) lines.push_back("looked at: " + e);
  }
  return lines;
}

std::string DamagedQuestion(const Entry& file, const std::string& why) {
  return file.name + " could not be read whole: " + why + ".\nWrite what was read?";
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

DriveChoice ChooseDrive(const disk::Disk& disk, int wanted) {
  DriveChoice out;
  ops::Drives drives = ops::OpenDrives(disk);
  if (!drives.hard_disk || drives.list.empty()) {
    out.disk = disk;
    return out;
  }
  for (ops::Drive& d : drives.list) {
    std::string label = "Drive " + std::to_string(d.number);
    const filesystems::Value fields = d.fs->Fields();
    for (std::size_t k = 0; k < fields.names.size(); ++k) {
      if (fields.names[k] == "disk_name") label += ": " + fields.items[k].text;
    }
    out.labels.push_back(label + ", " + d.fs->Name());
    out.numbers.push_back(d.number);
    if (d.number == wanted || out.shown < 0) {
      out.shown = static_cast<int>(out.numbers.size()) - 1;
      out.disk = std::move(d.disk);
    }
  }
  return out;
}

}  // namespace trivane::present
