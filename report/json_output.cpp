// The JSON form of a report: file, messages, fields, drawing and record.
#include <nlohmann/json.hpp>

#include "report/file_report.h"

namespace trivane::report {
namespace {

using nlohmann::ordered_json;

ordered_json Fields(const RecordingWindow& w) {
  ordered_json fields = ordered_json::object();
  for (Field f : kAllFields) {
    const FieldState& state = w.field(f);
    ordered_json& field = fields[std::string(FieldName(f))];
    field["text"] = state.text;
    field["fore"] = state.fore;
    field["back"] = state.back;
  }
  return fields;
}

ordered_json Drawing(const RecordingWindow& w) {
  ordered_json ops = ordered_json::array();
  for (const DrawOp& op : w.drawing()) {
    ordered_json& j = ops.emplace_back(ordered_json::object());
    switch (op.kind) {
      case DrawOp::Kind::Cls:
        j["op"] = "cls";
        break;
      case DrawOp::Kind::Box:
        j["op"] = "box";
        j["x1"] = op.x1;
        j["y1"] = op.y1;
        j["x2"] = op.x2;
        j["y2"] = op.y2;
        j["color"] = op.colour;
        break;
      case DrawOp::Kind::Print:
        j["op"] = "print";
        j["x"] = op.x1;
        j["y"] = op.y1;
        j["color"] = op.colour;
        j["text"] = op.text;
        break;
    }
  }
  return ops;
}

ordered_json Record(const AnalysisRecord& r) {
  ordered_json j = ordered_json::object();
  j["Emtype"] = r.Emtype;
  j["jv1"] = r.jv1;
  j["dmkflag"] = r.dmkflag;
  j["tracks"] = r.tracks;
  j["sides"] = r.sides;
  j["dens"] = r.dens;
  j["spt"] = r.spt;
  j["spg"] = r.spg;
  j["firstsecnum"] = r.firstsecnum;
  j["tracksideflag"] = r.tracksideflag;
  j["newdosflag"] = r.newdosflag;
  j["pdrive"] = r.pdrive;
  j["dd"] = r.dd;
  j["sda"] = r.sda;
  j["spgaa"] = r.spgaa;
  j["sptab"] = r.sptab;
  j["TrkToFind"] = r.TrkToFind;
  j["SideToFind"] = r.SideToFind;
  j["SecToFind"] = r.SecToFind;
  j["errflg"] = r.errflg;
  j["fpa"] = r.fpa;
  j["datamarkjv"] = r.datamarkjv;
  j["datamarkDmk"] = r.datamarkDmk;
  j["trklength"] = r.trklength;
  j["damindex"] = r.damindex;
  j["fileend"] = r.fileend;
  j["PresSecnum"] = r.PresSecnum;
  j["dirstartsec"] = r.dirstartsec;
  return j;
}

// True when the bytes are well-formed UTF-8: no stray continuation byte, no
// overlong form, no surrogate, nothing past U+10FFFF.
bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    int more = 0;
    unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      more = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      more = 2;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      more = 3;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (i + more >= text.size()) return false;
    for (int k = 1; k <= more; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return false;
    }
    i += more + 1;
  }
  return true;
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

}  // namespace

std::string JsonLine(const FileReport& report) {
  ordered_json out = {{"file", report.file}};
  // The path's own bytes, so that a script can find a file whose name is not
  // UTF-8 (its "file" shows replacement characters).
  if (!IsUtf8(report.file)) out["file_hex"] = Hex(report.file);
  if (!report.error.empty()) {
    out["error"] = report.error;
  } else {
    ordered_json messages = ordered_json::array();
    for (const Message& m : report.window.messages()) {
      messages.push_back({{"title", m.title}, {"prompt", m.prompt}});
    }
    out["messages"] = messages;
    out["fields"] = Fields(report.window);
    out["drawing"] = Drawing(report.window);
    out["record"] = Record(report.record);
  }
  // A path that is not valid UTF-8 is written with replacement characters.
  return out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace trivane::report
