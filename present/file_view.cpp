#include "present/file_view.h"

#include "ops/host_files.h"

namespace trivane::present {
namespace {

// The lines are Latin-1, the note UTF-8: the text is UTF-8 throughout.
std::string TextOf(const views::View& v) {
  std::string text;
  for (const std::string& line : v.lines) {
    for (unsigned char c : line) {
      if (c < 0x80) {
        text += static_cast<char>(c);
      } else {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    text += '\n';
  }
  if (!v.note.empty()) text += "-- " + v.note + '\n';
  return text;
}

}  // namespace

ShownView ViewOf(const filesystems::FileBytes& bytes, views::ViewKind asked,
                 const std::string& name) {
  std::string damage;
  for (const std::string& line : filesystems::DamageLines(bytes)) damage += "; " + line;
  // The choice first: hex is drawn by the front end as it is scrolled.
  const views::View chosen = views::MakeView(bytes.bytes, asked, true, name);
  ShownView shown{chosen.kind,
                  chosen.why + (damage.empty() ? "" : "; damaged: " + damage.substr(2)), ""};
  if (chosen.kind != views::ViewKind::kHex)
    shown.text = TextOf(views::MakeView(bytes.bytes, chosen.kind));
  return shown;
}

std::string SaveViewText(const filesystems::FileBytes& bytes, views::ViewKind asked,
                         const std::string& name, const std::filesystem::path& file) {
  const std::string text = TextOf(views::MakeView(bytes.bytes, asked, false, name));
  return ops::WriteHostFile(file, std::vector<std::uint8_t>(text.begin(), text.end()), true).why;
}

}  // namespace trivane::present
