// A file's bytes: its extents' granules in order, their sectors in order, as
// many sectors as its size needs, cut to its size.
#include <algorithm>

#include "formats/text.h"
#include "fs/trsdos/directory.h"
#include "fs/trsdos/directory_bytes.h"

namespace trivane::trsdos {

std::string AttributesText(const File& f) {
  return {f.system ? 'S' : '-', f.invisible ? 'I' : '-', f.pds ? 'P' : '-',
          static_cast<char>('0' + f.protection)};
}

std::string ExtentsText(const File& f) {
  std::string text;
  for (const Extent& x : f.extents) {
    if (!text.empty()) text += ' ';
    text += std::to_string(x.first_granule);
    text += '+';
    text += std::to_string(x.granules);
  }
  return text;
}

std::vector<std::string> FindingLines(const std::vector<Finding>& findings) {
  std::vector<std::string> lines;
  std::vector<bool> said(findings.size(), false);
  for (std::size_t i = 0; i < findings.size(); ++i) {
    if (said[i]) continue;
    const Finding& f = findings[i];
    std::string detail = f.detail;
    if (f.granule >= 0) {
      std::string granules = std::to_string(f.granule);
      int count = 1;
      for (std::size_t k = i + 1; k < findings.size(); ++k) {
        const Finding& g = findings[k];
        if (g.granule < 0 || g.kind != f.kind || g.file != f.file || g.other != f.other) continue;
        granules += ", " + std::to_string(g.granule);
        said[k] = true;
        ++count;
      }
      if (count > 1) {
        detail = "granules " + granules +
                 (f.other.empty() ? " are free in the GAT" : " are also " + f.other + "'s");
      }
    }
    lines.push_back(f.kind + (f.file.empty() ? "" : " " + f.file) + ": " + detail);
  }
  return lines;
}

std::vector<Place> FileSectors(const Layout& layout, const File& file) {
  const std::int64_t needed = file.SectorsNeeded();
  const int total = layout.TotalGranules();
  std::vector<Place> places;
  for (const Extent& x : file.extents) {
    for (int g = x.first_granule; g < x.first_granule + x.granules && g < total; ++g) {
      for (const Place& p : layout.Granule(g)) {
        if (static_cast<std::int64_t>(places.size()) == needed) return places;
        places.push_back(p);
      }
    }
  }
  return places;
}

void MarkUnreadable(const disk::SectorStore& sectors, Catalogue& catalogue) {
  for (auto* files : {&catalogue.files, &catalogue.deleted}) {
    for (File& f : *files) {
      int missing = 0, bad = 0;
      std::string first_missing, first_bad;
      const std::vector<Place> places = FileSectors(catalogue.layout, f);
      for (const Place& p : places) {
        const disk::Sector* s = sectors.At(p);
        if (s == nullptr || !s->has_data() || s->size != kSectorBytes) {
          if (missing++ == 0) first_missing = PlaceText(p);
        } else if (sectors.Failed(*s)) {
          if (bad++ == 0) first_bad = PlaceText(p);
        }
      }
      // Not whole: a sector missing or failed, or fewer than its size needs.
      if (missing + bad > 0 || static_cast<std::int64_t>(places.size()) < f.SectorsNeeded())
        f.complete = false;
      if (files == &catalogue.deleted) continue;
      if (missing > 0) {
        catalogue.findings.push_back({"missing-sector", f.Shown(),
                                      std::to_string(missing) +
                                          " sectors missing or without data, the first " +
                                          first_missing,
                                      -1, ""});
      }
      if (bad > 0) {
        catalogue.findings.push_back(
            {"crc-error", f.Shown(),
             std::to_string(bad) + " sectors failed their CRC, the first " + first_bad, -1, ""});
      }
    }
  }
}

FileBytes ReadFile(const disk::Disk& disk, const Catalogue& catalogue, const File& file) {
  return ReadFile(disk::SectorStore(disk), catalogue, file);
}

FileBytes ReadFile(const disk::SectorStore& sectors, const Catalogue& catalogue, const File& file) {
  FileBytes out;
  out.bytes.reserve(static_cast<std::size_t>(std::max<std::int64_t>(file.size, 0)) + kSectorBytes);
  for (const Place& p : FileSectors(catalogue.layout, file)) {
    disk::SectorRead read = sectors.Get(p);
    std::vector<std::uint8_t>& data = read.data;
    if (data.size() != kSectorBytes || read.crc_error)
      out.unreadable.push_back(
          {PlaceText(p), data.size() == kSectorBytes, static_cast<std::int64_t>(out.bytes.size())});
    data.resize(kSectorBytes, 0);
    out.bytes.insert(out.bytes.end(), data.begin(), data.end());
  }
  // Only what the extents hold: a part they do not hold is never made up.
  out.bytes.resize(std::min<std::size_t>(
      out.bytes.size(), static_cast<std::size_t>(std::max<std::int64_t>(file.size, 0))));
  out.missing = std::max<std::int64_t>(file.size, 0) - static_cast<std::int64_t>(out.bytes.size());
  return out;
}

const File* FindFile(const Catalogue& c, const std::string& name, bool all) {
  const std::string wanted = UpperAscii(name.substr(0, name.find(':')));
  std::string dotted = wanted;  // NAME.EXT
  if (const auto dot = dotted.rfind('.'); dot != std::string::npos) dotted[dot] = '/';
  for (const auto* files : {&c.files, &c.deleted}) {
    if (files == &c.deleted && !all) break;
    for (const File& f : *files) {
      const std::string shown = UpperAscii(f.Shown());
      if (shown == wanted || shown == dotted) return &f;
    }
  }
  return nullptr;
}

}  // namespace trivane::trsdos
