// Directory listings and the files of a disk, through its filesystem.
#include "disktool/dir.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/escaped.h"
#include "cli/json_writer.h"
#include "cli/sha256.h"
#include "disk/reed.h"
#include "loader/image_file.h"
#include "ops/extract.h"
#include "ops/filesystems.h"
#include "ops/host_files.h"
#include "views/view.h"

namespace trivane::disktool {
namespace {

namespace fs = std::filesystem;
using cli::JsonWriter;
using filesystems::Column;
using filesystems::Entry;
using filesystems::Value;

// The text padded to the column's width (left-aligned when it is negative).
std::string Padded(const std::string& text, int width) {
  const std::size_t w = static_cast<std::size_t>(std::abs(width));
  if (text.size() >= w) return text;
  const std::string pad(w - text.size(), ' ');
  return width < 0 ? text + pad : pad + text;
}

std::string Row(const std::vector<Column>& columns, const Entry& f) {
  std::string line = " ";
  for (const Column& c : columns) line += " " + Padded(filesystems::CellOf(f, c.key), c.width);
  return line + (f.complete ? "" : "  (not whole)") + "\n";
}

void Write(JsonWriter& j, const Value& v) {
  switch (v.kind) {
    case Value::Kind::kNull:
      j.Null();
      break;
    case Value::Kind::kBool:
      j.Bool(v.flag);
      break;
    case Value::Kind::kNumber:
      j.Number(v.number);
      break;
    case Value::Kind::kText:
      j.String(v.text);
      break;
    case Value::Kind::kList:
      j.BeginArray();
      for (const Value& item : v.items) Write(j, item);
      j.EndArray();
      break;
    case Value::Kind::kObject:
      j.BeginObject();
      for (std::size_t k = 0; k < v.items.size(); ++k) Write(j.Key(v.names[k]), v.items[k]);
      j.EndObject();
      break;
  }
}

// An object's members, written into the object being written.
void Members(JsonWriter& j, const Value& object) {
  for (std::size_t k = 0; k < object.items.size(); ++k)
    Write(j.Key(object.names[k]), object.items[k]);
}

void FileObject(JsonWriter& j, const filesystems::Filesystem& fs, const Entry& f) {
  j.BeginObject();
  Members(j, fs.EntryFields(f));
  j.Member("complete", f.complete);
  j.Member("sha256", cli::Sha256Hex(fs.Read(f).bytes)).EndObject();
}

void Files(JsonWriter& j, const filesystems::Filesystem& fs, const std::vector<Entry>& entries,
           bool deleted) {
  j.BeginArray();
  for (const Entry& f : entries) {
    if (f.deleted == deleted) FileObject(j, fs, f);
  }
  j.EndArray();
}

}  // namespace

namespace {

// What the filesystem says of its disk, its files and its findings.
std::string Listing(const filesystems::Filesystem& fs, bool known, bool all) {
  std::string out = "  " + fs.Name();
  for (const std::string& fact : fs.Facts()) out += ", " + fact;
  out += "\n";
  for (const std::string& e : fs.Evidence()) out += "    because: " + e + "\n";
  if (!known) return out;
  const std::vector<Column> columns = fs.ListingColumns();
  out += " ";
  for (const Column& c : columns) out += " " + Padded(c.heading, c.width);
  out += "\n";
  const std::vector<Entry> entries = fs.List(all);
  for (const Entry& f : entries) {
    if (!f.deleted) out += Row(columns, f);
  }
  if (all) {
    out += "  deleted:\n";
    for (const Entry& f : entries) {
      if (f.deleted) out += Row(columns, f);
    }
  }
  for (const std::string& line : fs.CheckLines()) out += "  finding " + line + "\n";
  return out;
}

}  // namespace

std::string DirText(const ops::OpenedDos& r, bool all) {
  std::string out = cli::Escaped(r.sectors.file) + "\n";
  if (r.hard_disk) {
    out += "  Reed hard disk\n";
    for (const std::string& line : r.header) out += "  header: " + line + "\n";
  }
  if (r.fs != nullptr) {
    return out + (r.hard_disk ? "drive " + std::to_string(r.drive) + "\n" : "") +
           Listing(*r.fs, r.known(), all);
  }
  for (const ops::Drive& d : r.drives) {
    out += "drive " + std::to_string(d.number) + "\n" + Listing(*d.fs, d.fs->Score() > 0, all);
  }
  return out;
}

namespace {

// An object begun with the image file's name (and its bytes in hex where
// they are not UTF-8).
JsonWriter& BeginImage(JsonWriter& j, const std::string& file) {
  j.BeginObject().Member("file", file);
  if (!cli::IsUtf8(file)) j.Member("file_hex", cli::Hex(file));
  return j;
}

std::string DriveJson(const ops::OpenedDos& r, int drive, const filesystems::Filesystem& fs,
                      bool all) {
  JsonWriter j;
  BeginImage(j, r.sectors.file);
  if (r.hard_disk) j.Member("drive", drive);
  j.Member("container", disk::ContainerName(r.sectors.disk.container));
  j.Key("dos").BeginObject().Member("family", fs.Family()).Key("version");
  Write(j, Value::TextOrNull(fs.Version()));
  j.EndObject().Key("evidence").BeginArray();
  for (const std::string& e : fs.Evidence()) j.String(e);
  j.EndArray();
  Members(j, fs.Fields());
  const std::vector<Entry> entries = fs.List(all);
  Files(j.Key("files"), fs, entries, false);
  if (all) Files(j.Key("deleted"), fs, entries, true);
  j.Key("findings").BeginArray();
  for (const filesystems::Finding& f : fs.Check()) {
    j.BeginObject().Member("kind", f.kind).Key("file");
    Write(j, Value::TextOrNull(f.file));
    j.Member("detail", f.detail).EndObject();
  }
  return j.EndArray().EndObject().text();
}

}  // namespace

std::string DirJson(const ops::OpenedDos& r, bool all) {
  if (!r.sectors.error.empty()) {
    JsonWriter j;
    return BeginImage(j, r.sectors.file).Member("error", r.sectors.error).EndObject().text();
  }
  if (r.fs != nullptr) return DriveJson(r, r.drive, *r.fs, all);
  std::string out;
  for (const ops::Drive& d : r.drives) {
    out += (out.empty() ? "" : "\n") + DriveJson(r, d.number, *d.fs, all);
  }
  return out;
}

namespace {

// Beside each BASIC program written, its listing (never over a file).
int WriteListings(const filesystems::Filesystem& filesystem, const std::vector<Entry>& chosen,
                  const fs::path& into, bool force) {
  int status = 0;
  const std::vector<std::string> hosts = ops::HostNames(chosen);
  for (std::size_t k = 0; k < chosen.size(); ++k) {
    const filesystems::FileBytes bytes = filesystem.Read(chosen[k]);
    if (!filesystems::WhyNotGiven(chosen[k], bytes, force).empty()) continue;
    const views::View v = views::MakeView(bytes.bytes, views::ViewKind::kAuto);
    if (v.kind != views::ViewKind::kBasic) continue;
    std::string text;
    for (const std::string& line : v.lines) text += line + "\n";
    if (!v.note.empty()) text += "-- " + v.note + "\n";
    const std::string host = hosts[k] + ".txt";
    const ops::WriteFailure failed =
        ops::WriteHostFile(into / PathFromUtf8(host), {text.begin(), text.end()}, false);
    if (!failed.why.empty()) {
      std::cerr << "trivane-disk: " << cli::Escaped(host) << ": not written, " << failed.why
                << "\n";
      status = 1;
    }
  }
  return status;
}

// The files named (all, the deleted too with all, when none is); a name
// that is not there is said and makes the status 1.
std::vector<Entry> Chosen(const filesystems::Filesystem& fs, const std::vector<std::string>& names,
                          bool all, int& status) {
  std::vector<Entry> chosen;
  if (names.empty()) chosen = fs.List(all);
  for (const std::string& n : names) {
    if (std::optional<Entry> f = fs.Find(n, all)) {
      chosen.push_back(*f);
    } else {
      std::cerr << "trivane-disk: " << n << ": no such file on the disk\n";
      status = 1;
    }
  }
  return chosen;
}

}  // namespace

int Extract(const ops::OpenedDos& r, const std::vector<std::string>& names,
            const std::string& folder, bool all, bool force, bool listings) {
  int status = 0;
  const std::vector<Entry> chosen = Chosen(*r.fs, names, all, status);
  std::error_code ec;
  const fs::path into = PathFromUtf8(folder);
  fs::create_directories(into, ec);
  if (ec) {
    std::cerr << "trivane-disk: " << cli::Escaped(folder)
              << ": the folder cannot be made: " << ec.message() << "\n";
    return 1;
  }
  // Damaged files only with force; nothing replaced.
  const ops::ExtractQuestions ask{[&](const Entry&, const std::string&) {
                                    return force ? ops::Choice::kAll : ops::Choice::kNone;
                                  },
                                  [](const std::string&) { return ops::Choice::kNone; },
                                  {}};
  const ops::ExtractSummary done = ops::ExtractFiles(*r.fs, chosen, into, ask);
  for (const std::string& line : done.lines) {
    std::cerr << "trivane-disk: " << cli::Escaped(line) << "\n";
  }
  if (done.not_whole > 0) {
    std::cerr << "trivane-disk: --force writes what was read of the files not read whole\n";
  }
  if (!done.folder_failure.empty()) {
    std::cerr << "trivane-disk: " << cli::Escaped(folder)
              << ": files cannot be written there: " << done.folder_failure << "\n";
    return 1;
  }
  if (done.skipped + done.failed > 0) status = 1;
  if (listings && !done.cancelled && WriteListings(*r.fs, chosen, into, force) != 0) status = 1;
  return status;
}

}  // namespace trivane::disktool
