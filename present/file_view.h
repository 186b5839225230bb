// What a file's view window shows, the same in every front end: the view
// chosen and why (with the damage of a file not read whole), its text in
// UTF-8 (the listing's lines, then what stopped it early), and that text
// saved into a file.
#pragma once

#include <filesystem>
#include <string>

#include "fs/filesystem.h"
#include "views/view.h"

namespace trivane::present {

struct ShownView {
  views::ViewKind kind = views::ViewKind::kHex;  // the kind chosen
  std::string why;
  std::string text;  // empty for hex, which the front end draws as it scrolls
};
// `name` as listed: a CP/M program is told by it.
ShownView ViewOf(const filesystems::FileBytes& bytes, views::ViewKind asked,
                 const std::string& name);

// Writes the view's text (for hex, its lines) into the file; empty when
// done, else why not.
std::string SaveViewText(const filesystems::FileBytes& bytes, views::ViewKind asked,
                         const std::string& name, const std::filesystem::path& file);

}  // namespace trivane::present
