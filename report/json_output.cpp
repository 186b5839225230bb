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
    fields[std::string(FieldName(f))] = {
        {"text", state.text}, {"fore", state.fore}, {"back", state.back}};
  }
  return fields;
}

ordered_json Drawing(const RecordingWindow& w) {
  ordered_json ops = ordered_json::array();
  for (const DrawOp& op : w.drawing()) {
    switch (op.kind) {
      case DrawOp::Kind::Cls:
        ops.push_back({{"op", "cls"}});
        break;
      case DrawOp::Kind::Box:
        ops.push_back({{"op", "box"},
                       {"x1", op.x1},
                       {"y1", op.y1},
                       {"x2", op.x2},
                       {"y2", op.y2},
                       {"color", op.colour}});
        break;
      case DrawOp::Kind::Print:
        ops.push_back(
            {{"op", "print"}, {"x", op.x1}, {"y", op.y1}, {"color", op.colour}, {"text", op.text}});
        break;
    }
  }
  return ops;
}

ordered_json Record(const AnalysisRecord& r) {
  return {{"Emtype", r.Emtype},
          {"jv1", r.jv1},
          {"dmkflag", r.dmkflag},
          {"tracks", r.tracks},
          {"sides", r.sides},
          {"dens", r.dens},
          {"spt", r.spt},
          {"spg", r.spg},
          {"firstsecnum", r.firstsecnum},
          {"tracksideflag", r.tracksideflag},
          {"newdosflag", r.newdosflag},
          {"pdrive", r.pdrive},
          {"dd", r.dd},
          {"sda", r.sda},
          {"spgaa", r.spgaa},
          {"sptab", r.sptab},
          {"TrkToFind", r.TrkToFind},
          {"SideToFind", r.SideToFind},
          {"SecToFind", r.SecToFind},
          {"errflg", r.errflg},
          {"fpa", r.fpa},
          {"datamarkjv", r.datamarkjv},
          {"datamarkDmk", r.datamarkDmk},
          {"trklength", r.trklength},
          {"damindex", r.damindex},
          {"fileend", r.fileend},
          {"PresSecnum", r.PresSecnum},
          {"dirstartsec", r.dirstartsec}};
}

}  // namespace

std::string JsonLine(const FileReport& report) {
  ordered_json out = {{"file", report.file}};
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
