// `view IMAGE NAME [--as KIND] [--all]`: one file as its owner would read
// it (views/view.h); the view chosen and why on standard error, a damaged
// file's damage too.
#include <iostream>

#include "cli/escaped.h"
#include "cli/output.h"
#include "disktool/dir.h"
#include "disktool/tape_commands.h"
#include "disktool/write_commands.h"
#include "fs/filesystem.h"
#include "views/view.h"

namespace trivane::disktool {

int ViewCommand(const cli::Parsed& p) {
  if (p.operands.size() != 2) return UsageError("view takes IMAGE NAME/EXT");
  views::ViewKind kind = views::ViewKind::kAuto;
  if (!views::ViewByName(p.Value("--as").value_or("auto"), kind)) {
    return UsageError("--as takes " + views::ViewWords(", ", " or "));
  }
  const std::optional<int> drive = DriveNumber(p);
  if (!drive) return UsageError("--drive takes a drive's number");
  std::vector<std::uint8_t> bytes;
  std::string name;
  if (const TapeLookup tape = LookUpTapeFile(p.operands[0], p.operands[1]); tape.is_tape) {
    if (!tape.file) return 1;
    bytes = tape.file->bytes;
    name = tape.file->dos_name;
  } else {
    const ops::OpenedFile o =
        ops::OpenNamedFile(PathFromUtf8(p.operands[0]), p.operands[1], p.Has("--all"), *drive);
    if (!o.entry) {
      std::cerr << "trivane-disk: " << cli::Escaped(p.operands[0]) << ": " << o.error << "\n";
      return 1;
    }
    filesystems::FileBytes read = o.fs->Read(*o.entry);
    for (const std::string& line : filesystems::DamageLines(read)) {
      std::cerr << "trivane-disk: " << o.entry->name << ": " << line << "\n";
    }
    bytes = std::move(read.bytes);
    name = o.entry->name;
  }
  const views::View v = views::MakeView(bytes, kind, false, name);
  std::cerr << "trivane-disk: " << name << ": " << v.why << "\n";
  std::string text;
  for (const std::string& line : v.lines) text += line + "\n";
  if (!v.note.empty()) text += "-- " + v.note + "\n";
  cli::Output output("trivane-disk");
  return output.Write(text) && output.Finish() ? 0 : 1;
}

}  // namespace trivane::disktool
