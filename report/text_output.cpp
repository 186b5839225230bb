// The text form of a report: the file, each result field the window shows
// with its meaning and the colours that carry one, the printed line, and the
// message boxes with their line breaks.
#include <cstdio>
#include <utility>

#include "cli/escaped.h"
#include "report/file_report.h"

namespace trivane::report {
namespace {

// Top to bottom as the window shows them.
constexpr std::pair<Field, const char*> kShown[] = {
    {Field::Text16, "file"},      {Field::Text7, "system"},  {Field::Text17, "pdrive"},
    {Field::Text12, "type"},      {Field::Text1, "tracks"},  {Field::Text2, "density"},
    {Field::Text3, "sides"},      {Field::Text4, "sec/cyl"}, {Field::Text5, "granule"},
    {Field::Text18, "numbering"}, {Field::Text6, "note"}};

std::string ColourName(Colour c) {
  switch (c) {
    case colour::kBlack:
      return "black";
    case colour::kRed:
      return "red";
    case colour::kBlue:
      return "blue";
    case 0xC0C0FF:
      return "light red";
    case 0x00FF00:
      return "green";
    case 0x80C0FF:
      return "light orange";
    default: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "#%08X", static_cast<unsigned>(c));
      return hex;
    }
  }
}

std::string Line(const std::string& label, const std::string& name, const std::string& text,
                 const std::string& note) {
  std::string line = "  " + label;
  line.resize(10, ' ');
  line += name;
  line.resize(21, ' ');
  line += '"';
  line += cli::Escaped(text);
  line += '"';
  if (!note.empty()) line += "  " + note;
  return line + "\n";
}

std::string FieldLine(Field f, const char* name, const FieldState& state) {
  std::string note;
  if (state.fore != colour::kWindowText) note = ColourName(state.fore) + " text";
  if (state.back != colour::kFieldBack) {
    note += (note.empty() ? "on " : ", on ") + ColourName(state.back);
  }
  return Line(std::string(FieldName(f)), name, state.text, note);
}

// CR LF and CR alone each break the line.
std::string IndentedPrompt(const std::string& prompt) {
  const std::string indent(12, ' ');
  std::string out = indent;
  for (std::size_t i = 0; i < prompt.size(); ++i) {
    if (prompt[i] == '\r') {
      if (i + 1 < prompt.size() && prompt[i + 1] == '\n') ++i;
      out += "\n" + indent;
    } else {
      out += prompt[i];
    }
  }
  return out + "\n";
}

}  // namespace

std::string TextBlock(const FileReport& report) {
  std::string out = cli::Escaped(report.file) + "\n";
  for (const auto& [field, name] : kShown) {
    const FieldState& state = report.window.field(field);
    if (!state.text.empty()) out += FieldLine(field, name, state);
  }
  for (const DrawOp& op : report.window.drawing()) {
    if (op.kind == DrawOp::Kind::Print) {
      out += Line("printed", "", op.text, op.colour == colour::kRed ? "red" : "");
    }
  }
  for (const Message& m : report.window.messages()) {
    out += "  message \"" + m.title + "\"\n" + IndentedPrompt(m.prompt);
  }
  return out;
}

}  // namespace trivane::report
