// The JSON form of a sector listing.
#include <charconv>

#include "cli/json_writer.h"
#include "disktool/listing.h"

namespace trivane::disktool {
namespace {

using cli::JsonWriter;
using disk::Check;
using disk::Density;

void Append(std::string& out, std::int64_t n) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

void Append(std::string& out, const char* member, Check check) {
  out += member;
  out += check == Check::kNotKept ? "null" : check == Check::kGood ? "true" : "false";
}

// One sector's object, written straight: a listing holds thousands of them.
void AppendSector(std::string& out, const ops::OpenedImage& r, const disk::Sector& s, bool data) {
  out += "{\"cyl\":";
  Append(out, s.cylinder);
  out += ",\"head\":";
  Append(out, s.head);
  out += ",\"track\":";
  Append(out, s.id_cylinder);
  out += ",\"side\":";
  Append(out, s.id_head);
  out += ",\"sector\":";
  Append(out, s.id_sector);
  out += ",\"size\":";
  Append(out, s.size);
  out += s.density == Density::kDouble ? ",\"density\":\"DD\",\"dam\":"
                                       : ",\"density\":\"SD\",\"dam\":";
  s.dam != 0 ? Append(out, s.dam) : void(out += "null");
  Append(out, ",\"id_crc_ok\":", s.id_crc);
  Append(out, ",\"data_crc_ok\":", s.data_crc);
  out += ",\"offset\":";
  s.has_data() ? Append(out, s.data_offset) : void(out += "null");
  if (data) {
    const std::vector<std::uint8_t> bytes = disk::SectorData(r.disk, s);
    out += ",\"data\":\"";
    out += cli::Hex({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    out += '"';
  }
  out += '}';
}

void Summary(JsonWriter& j, const disk::Disk& d) {
  const disk::Counts n = disk::CountSectors(d);
  j.BeginObject().Member("total", n.total).Member("sd", n.single_density);
  j.Member("dd", n.total - n.single_density).Member("id_crc_errors", n.id_crc_errors);
  j.Member("data_crc_errors", n.data_crc_errors).Member("no_dam", n.without_data).EndObject();
}

}  // namespace

void AppendSectorsJson(std::string& out, const ops::OpenedImage& r, bool data, const Flush& flush) {
  JsonWriter head;
  head.BeginObject().Member("file", r.file);
  if (!cli::IsUtf8(r.file)) head.Member("file_hex", cli::Hex(r.file));
  if (!r.error.empty()) {
    out += head.Member("error", r.error).EndObject().text();
    return;
  }
  head.Member("container", disk::ContainerName(r.disk.container));
  head.Member("cylinders", r.disk.cylinders).Member("heads", r.disk.heads);
  out += head.text();  // the object stays open for the sectors
  out += ",\"sectors\":[";
  for (std::size_t i = 0; i < r.disk.sectors.size(); ++i) {
    if (i > 0) out += ',';
    AppendSector(out, r, r.disk.sectors[i], data);
    if (flush && out.size() >= kFlushBytes) {
      if (!flush(out)) return;
      out.clear();
    }
  }
  out += "],\"summary\":";
  JsonWriter summary;
  Summary(summary, r.disk);
  out += summary.text();
  out += '}';
}

}  // namespace trivane::disktool
