// The JSON form of a report: file, messages, fields, drawing and record.
#include "cli/json_writer.h"
#include "report/file_report.h"

namespace trivane::report {
namespace {

using cli::JsonWriter;

void Fields(JsonWriter& j, const RecordingWindow& w) {
  j.BeginObject();
  for (Field f : kAllFields) {
    const FieldState& state = w.field(f);
    j.Key(FieldName(f)).BeginObject();
    j.Member("text", state.text).Member("fore", state.fore).Member("back", state.back);
    j.EndObject();
  }
  j.EndObject();
}

void Drawing(JsonWriter& j, const RecordingWindow& w) {
  j.BeginArray();
  for (const DrawOp& op : w.drawing()) {
    j.BeginObject();
    switch (op.kind) {
      case DrawOp::Kind::Cls:
        j.Member("op", "cls");
        break;
      case DrawOp::Kind::Box:
        j.Member("op", "box").Member("x1", op.x1).Member("y1", op.y1);
        j.Member("x2", op.x2).Member("y2", op.y2).Member("color", op.colour);
        break;
      case DrawOp::Kind::Print:
        j.Member("op", "print").Member("x", op.x1).Member("y", op.y1);
        j.Member("color", op.colour).Member("text", op.text);
        break;
    }
    j.EndObject();
  }
  j.EndArray();
}

void Record(JsonWriter& j, const AnalysisRecord& r) {
  j.BeginObject();
  j.Member("Emtype", r.Emtype).Member("jv1", r.jv1).Member("dmkflag", r.dmkflag);
  j.Member("tracks", r.tracks).Member("sides", r.sides).Member("dens", r.dens);
  j.Member("spt", r.spt).Member("spg", r.spg).Member("firstsecnum", r.firstsecnum);
  j.Member("tracksideflag", r.tracksideflag).Member("newdosflag", r.newdosflag);
  j.Member("pdrive", r.pdrive).Member("dd", r.dd).Member("sda", r.sda);
  j.Member("spgaa", r.spgaa).Member("sptab", r.sptab);
  j.Member("TrkToFind", r.TrkToFind).Member("SideToFind", r.SideToFind);
  j.Member("SecToFind", r.SecToFind).Member("errflg", r.errflg).Member("fpa", r.fpa);
  j.Member("datamarkjv", r.datamarkjv).Member("datamarkDmk", r.datamarkDmk);
  j.Member("trklength", r.trklength).Member("damindex", r.damindex);
  j.Member("fileend", r.fileend).Member("PresSecnum", r.PresSecnum);
  j.Member("dirstartsec", r.dirstartsec);
  j.EndObject();
}

}  // namespace

std::string JsonLine(const FileReport& report) {
  JsonWriter j;
  j.BeginObject().Member("file", report.file);
  // The path's own bytes, so that a script can find a file whose name is not
  // UTF-8 ("file" shows replacement characters).
  if (!cli::IsUtf8(report.file)) j.Member("file_hex", cli::Hex(report.file));
  if (!report.error.empty()) {
    j.Member("error", report.error);
  } else {
    j.Key("messages").BeginArray();
    for (const Message& m : report.window.messages()) {
      j.BeginObject().Member("title", m.title).Member("prompt", m.prompt).EndObject();
    }
    j.EndArray();
    Fields(j.Key("fields"), report.window);
    Drawing(j.Key("drawing"), report.window);
    Record(j.Key("record"), report.record);
  }
  j.EndObject();
  return j.text();
}

}  // namespace trivane::report
