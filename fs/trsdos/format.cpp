// Which disks each DOS formats, its usual one, and the check that a new
// disk's catalogue is what was asked for.
#include "fs/trsdos/format.h"

#include <cctype>

#include "fs/trsdos/families.h"
#include "fs/trsdos/format_tracks.h"

namespace trivane::trsdos {
namespace {

const std::vector<int> kSingleOrder = {0, 5, 1, 6, 2, 7, 3, 8, 4, 9};
const std::vector<int> kDoubleOrder = {0, 6, 12, 1, 7,  13, 2, 8,  14,
                                       3, 9, 15, 4, 10, 16, 5, 11, 17};
const std::vector<int> kModel3Order = {1,  4,  7,  10, 13, 16, 2,  5,  8,
                                       11, 14, 17, 3,  6,  9,  12, 15, 18};

// Why the DOS does not format the disk asked for; empty when it does.
std::string Refusal(const FormatRule& r, const NewDiskRequest& q, int cylinders, int heads,
                    int density) {
  const std::string dos = r.name;
  if (cylinders < r.min_cylinders || cylinders > r.max_cylinders) {
    return dos + " formats " + std::to_string(r.min_cylinders) +
           (r.min_cylinders == r.max_cylinders ? "" : " to " + std::to_string(r.max_cylinders)) +
           " cylinders, not " + std::to_string(cylinders);
  }
  if (heads < 1 || heads > r.max_heads) {
    return dos + (r.max_heads == 1 ? " formats one head only" : " formats one or two heads");
  }
  if (density == 1 && !r.single) return dos + " formats double density only";
  if (density == 2 && !r.double_density) return dos + " formats single density only";
  return NameAndDateRefusal(q, 8);
}

Geometry GeometryOf(const FormatRule& r, int cylinders, int heads, bool dd) {
  if (r.first_id == 1) return {cylinders, heads, 18, 1, true, kModel3Order};
  return dd ? Geometry{cylinders, heads, 18, 0, true, kDoubleOrder}
            : Geometry{cylinders, heads, 10, 0, false, kSingleOrder};
}

// The name in the GAT: upper case, "DATADISK" when none was asked for.
std::string NameOf(const NewDiskRequest& q) {
  std::string name = q.name.empty() ? "DATADISK" : q.name;
  for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return name;
}

}  // namespace

std::string NameAndDateRefusal(const NewDiskRequest& q, std::size_t longest) {
  if (q.name.size() > longest) {
    return "a disk name has at most " + std::to_string(longest) + " characters";
  }
  for (char ch : q.name) {
    if (ch < 0x21 || ch > 0x7E) return "a disk name is letters, digits and signs, no blanks";
  }
  const std::string& d = q.date;
  if (d.size() != 8 || d[2] != '/' || d[5] != '/' || !std::isdigit(d[0]) || !std::isdigit(d[1]) ||
      !std::isdigit(d[3]) || !std::isdigit(d[4]) || !std::isdigit(d[6]) || !std::isdigit(d[7])) {
    return "a date is MM/DD/YY";
  }
  return "";
}

NewDisk FormatDisk(const NewDiskRequest& q) {
  NewDisk out;
  const FamilyRow& row = RowOf(q.dos);
  if (!row.formats) {
    out.error = "no FORMAT for that DOS";
    return out;
  }
  const FormatRule& rule = row.rule;
  const int cylinders = q.cylinders ? q.cylinders : rule.usual_cylinders;
  const int heads = q.heads ? q.heads : rule.usual_heads;
  const int density = q.density ? q.density : rule.usual_density;
  out.error = Refusal(rule, q, cylinders, heads, density);
  if (!out.error.empty()) return out;
  const Format f{GeometryOf(rule, cylinders, heads, density == 2), NameOf(q), q.date, q.container};
  out.disk = BlankDisk(f.g);
  rule.lay(out.disk, f);
  out.check = [q](const disk::Disk& back) { return CheckNewCatalogue(q, ReadCatalogue(back)); };
  return out;
}

std::string CheckNewCatalogue(const NewDiskRequest& q, const Catalogue& c) {
  if (c.family != q.dos) return std::string("read back as ") + FamilyName(c.family);
  if (!c.findings.empty()) return "read back with findings: " + FindingLines(c.findings).front();
  std::string files;
  for (const File& f : c.files) files += (files.empty() ? "" : " ") + f.Shown();
  const char* expected = RowOf(q.dos).rule.system_files ? "BOOT/SYS DIR/SYS" : "";
  if (files != expected) return "read back with other files: " + files;
  if (c.disk_name != NameOf(q) || c.disk_date != q.date) {
    return "read back named \"" + c.disk_name + "\" and dated \"" + c.disk_date + "\"";
  }
  return "";
}

}  // namespace trivane::trsdos
