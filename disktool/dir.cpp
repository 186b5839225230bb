// Directory listings and the files of a DOS disk.
#include "disktool/dir.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/escaped.h"
#include "cli/json_writer.h"
#include "cli/sha256.h"
#include "fs/trsdos/extract.h"
#include "fs/trsdos/host_files.h"
#include "loader/image_file.h"
#include "ops/filesystems.h"
#include "views/view.h"

namespace trivane::disktool {
namespace {

namespace fs = std::filesystem;
using cli::JsonWriter;

std::string Row(const trsdos::File& f) {
  char line[160];
  std::snprintf(line, sizeof line, "  %-12s %s %3d %8lld %-10s %s%s\n", f.Shown().c_str(),
                trsdos::AttributesText(f).c_str(), f.lrl, static_cast<long long>(f.size),
                f.date.c_str(), trsdos::ExtentsText(f).c_str(), f.complete ? "" : "  (not whole)");
  return line;
}

void FileObject(JsonWriter& j, const ReadDos& r, const trsdos::File& f) {
  j.BeginObject().Member("name", f.name).Member("ext", f.ext).Member("size", f.size);
  j.Member("lrl", f.lrl).Member("eof", f.eof).Member("ern", f.ern);
  j.Key("attrs").BeginObject().Member("system", f.system).Member("invisible", f.invisible);
  j.Member("pds", f.pds).Member("protection", f.protection).EndObject();
  j.Key("date");
  f.date.empty() ? j.Null() : j.String(f.date);
  j.Key("extents").BeginArray();
  for (const trsdos::Extent& x : f.extents) {
    const char raw[2] = {static_cast<char>(x.raw[0]), static_cast<char>(x.raw[1])};
    j.BeginObject().Member("raw", UpperAscii(cli::Hex({raw, 2})));
    j.Member("first_granule", x.first_granule).Member("granules", x.granules).EndObject();
  }
  j.EndArray().Member("complete", f.complete);
  const trsdos::FileBytes bytes = trsdos::ReadFile(r.index, r.catalogue, f);
  j.Member("sha256", cli::Sha256Hex(bytes.bytes)).EndObject();
}

}  // namespace

ReadDos ReadDirectoryOf(const std::string& path) {
  auto read = std::make_unique<const ReadImage>(ReadSectors(path, false));
  const ReadImage& sectors = *read;
  ReadDos r{std::move(read), sectors, disk::SectorStore(sectors.disk), {}};
  if (sectors.error.empty()) r.catalogue = trsdos::ReadCatalogue(r.index);
  return r;
}

OpenedFile OpenFile(const std::string& image, const std::string& name, bool deleted) {
  const ReadImage read = ReadSectors(image, false);
  OpenedFile o;
  if (!read.error.empty()) {
    o.error = read.error;
    return o;
  }
  o.fs = ops::OpenFilesystem(read.disk);
  if (o.fs != nullptr) o.entry = o.fs->Find(name, deleted);
  if (!o.entry) o.error = "no file " + name + " on the disk";
  return o;
}

std::string DirText(const ReadDos& r, bool all) {
  const trsdos::Catalogue& c = r.catalogue;
  std::string out = cli::Escaped(r.sectors.file) + "\n  " + trsdos::FamilyName(c.family);
  if (!c.version.empty()) out += " " + c.version;
  if (c.family != trsdos::Family::kUnknown) {
    out += ", disk \"" + c.disk_name + "\" dated \"" + c.disk_date + "\", " +
           std::to_string(c.granules_free) + " of " + std::to_string(c.granules_total) +
           " granules free";
  }
  out += "\n";
  for (const std::string& e : c.evidence) out += "    because: " + e + "\n";
  if (c.family == trsdos::Family::kUnknown) return out;
  out += "  NAME/EXT     ATTR LRL     SIZE DATE       EXTENTS (granule+count)\n";
  for (const trsdos::File& f : c.files) out += Row(f);
  if (all) {
    out += "  deleted:\n";
    for (const trsdos::File& f : c.deleted) out += Row(f);
  }
  for (const std::string& line : trsdos::FindingLines(c.findings)) out += "  finding " + line + "\n";
  return out;
}

std::string DirJson(const ReadDos& r, bool all) {
  const trsdos::Catalogue& c = r.catalogue;
  JsonWriter j;
  j.BeginObject().Member("file", r.sectors.file);
  if (!cli::IsUtf8(r.sectors.file)) j.Member("file_hex", cli::Hex(r.sectors.file));
  if (!r.sectors.error.empty()) return j.Member("error", r.sectors.error).EndObject().text();
  j.Member("container", disk::ContainerName(r.sectors.disk.container));
  j.Key("dos").BeginObject().Member("family", trsdos::FamilyName(c.family)).Key("version");
  c.version.empty() ? j.Null() : j.String(c.version);
  j.EndObject().Key("evidence").BeginArray();
  for (const std::string& e : c.evidence) j.String(e);
  j.EndArray().Member("disk_name", c.disk_name).Member("disk_date", c.disk_date);
  j.Member("granules_total", c.granules_total).Member("granules_free", c.granules_free);
  j.Key("files").BeginArray();
  for (const trsdos::File& f : c.files) FileObject(j, r, f);
  j.EndArray();
  if (all) {
    j.Key("deleted").BeginArray();
    for (const trsdos::File& f : c.deleted) FileObject(j, r, f);
    j.EndArray();
  }
  j.Key("findings").BeginArray();
  for (const trsdos::Finding& f : c.findings) {
    j.BeginObject().Member("kind", f.kind).Key("file");
    f.file.empty() ? j.Null() : j.String(f.file);
    j.Member("detail", f.detail).EndObject();
  }
  return j.EndArray().EndObject().text();
}

namespace {

// Beside each BASIC program written, its listing (never over a file).
int WriteListings(const ReadDos& r, const std::vector<const trsdos::File*>& chosen,
                  const fs::path& into, bool force) {
  int status = 0;
  const std::vector<std::string> hosts = trsdos::HostNames(r.catalogue, chosen);
  for (std::size_t k = 0; k < chosen.size(); ++k) {
    const trsdos::FileBytes bytes = trsdos::ReadFile(r.index, r.catalogue, *chosen[k]);
    if (!trsdos::WhyNotGiven(*chosen[k], bytes, force).empty()) continue;
    const views::View v = views::MakeView(bytes.bytes, views::ViewKind::kAuto);
    if (v.kind != views::ViewKind::kBasic) continue;
    std::string text;
    for (const std::string& line : v.lines) text += line + "\n";
    if (!v.note.empty()) text += "-- " + v.note + "\n";
    const std::string host = hosts[k] + ".txt";
    const trsdos::WriteFailure failed =
        trsdos::WriteHostFile(into / PathFromUtf8(host), {text.begin(), text.end()}, false);
    if (!failed.why.empty()) {
      std::cerr << "trivane-disk: " << cli::Escaped(host) << ": not written, " << failed.why
                << "\n";
      status = 1;
    }
  }
  return status;
}

}  // namespace

int Extract(const ReadDos& r, const std::vector<std::string>& names, const std::string& folder,
            bool all, bool force, bool listings) {
  std::vector<const trsdos::File*> chosen;
  int status = 0;
  if (names.empty()) {
    for (const trsdos::File& f : r.catalogue.files) chosen.push_back(&f);
    if (all) {
      for (const trsdos::File& f : r.catalogue.deleted) chosen.push_back(&f);
    }
  }
  for (const std::string& n : names) {
    const trsdos::File* f = FindFile(r.catalogue, n, all);
    if (f == nullptr) {
      std::cerr << "trivane-disk: " << n << ": no such file on the disk\n";
      status = 1;
    } else {
      chosen.push_back(f);
    }
  }
  std::error_code ec;
  const fs::path into = PathFromUtf8(folder);
  fs::create_directories(into, ec);
  if (ec) {
    std::cerr << "trivane-disk: " << cli::Escaped(folder)
              << ": the folder cannot be made: " << ec.message() << "\n";
    return 1;
  }
  // Damaged files only with force; nothing replaced.
  const trsdos::ExtractQuestions ask{[&](const trsdos::File&, const std::string&) {
                                    return force ? trsdos::Choice::kAll : trsdos::Choice::kNone;
                                  },
                                  [](const std::string&) { return trsdos::Choice::kNone; },
                                  {}};
  const trsdos::ExtractSummary done = trsdos::ExtractFiles(r.index, r.catalogue, chosen, into, ask);
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
  if (listings && !done.cancelled && WriteListings(r, chosen, into, force) != 0) status = 1;
  return status;
}

}  // namespace trivane::disktool
