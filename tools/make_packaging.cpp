// make-packaging SOURCE DIR: writes into DIR what the desktop, the manual
// pages and the package say of the containers, made from the containers'
// rows (and the tapes'): the shared MIME database's file types (trivane-mime.xml), the
// desktop entry from SOURCE/trivane.desktop.in, the manual pages from
// SOURCE/man/*.1.in and the package's description from
// SOURCE/description.cmake.in, their @WORDS@ filled in.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "disk/container.h"
#include "formats/text.h"
#include "tape/tape.h"
#include "views/view.h"

namespace {

namespace fs = std::filesystem;
namespace disk = trivane::disk;

std::string MimeXml() {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!-- TRS-80 floppy-disk images. Each kind claims its own extension and, with\n"
      "     the same weight, *.dsk, which they share: for a .dsk file the names\n"
      "     tie and the content decides by each kind's rule. Made from Trivane's\n"
      "     table of containers. -->\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (const disk::ContainerFormat* row : disk::Containers()) {
    const disk::ContainerFormat& f = *row;
    if (f.mime_type.empty()) continue;  // a dump named by its folder has none
    xml += "  <mime-type type=\"" + std::string(f.mime_type) + "\">\n";
    xml += "    <comment>" + std::string(f.description) + "</comment>\n";
    std::istringstream globs{std::string(f.globs)};
    for (std::string g; globs >> g;) xml += "    <glob pattern=\"" + g + "\"/>\n";
    xml += "    <magic priority=\"" + std::to_string(f.mime_priority) + "\">\n      " +
           std::string(f.mime_magic) + "\n    </magic>\n  </mime-type>\n";
  }
  for (const trivane::tape::TapeFormat& f : trivane::tape::TapeFormats()) {
    if (*f.mime_type == '\0') continue;
    xml += "  <mime-type type=\"" + std::string(f.mime_type) + "\">\n";
    xml += "    <comment>" + std::string(f.description) + "</comment>\n";
    xml += "    <glob pattern=\"" + std::string(f.globs) + "\"/>\n  </mime-type>\n";
  }
  return xml + "</mime-info>\n";
}

std::string Holds() {
  std::string text = ".RS\n";
  for (const disk::ContainerFormat* f : disk::Offered()) {
    text += ".TP 5\n.B " + std::string(f->name) + "\n" + std::string(f->holds) + ".\n";
  }
  return text + ".RE\n";
}

std::string Filled(std::string text) {
  std::string types, names;
  for (const disk::ContainerFormat* row : disk::Containers()) {
    const disk::ContainerFormat& f = *row;
    if (!f.mime_type.empty()) types += std::string(f.mime_type) + ";";
    names += std::string(f.name) + ";";
  }
  // The windows open tapes too: the tapes' own types (a WAV file is told by
  // its content, and has none of Trivane's).
  for (const trivane::tape::TapeFormat& f : trivane::tape::TapeFormats()) {
    if (*f.mime_type != '\0') types += std::string(f.mime_type) + ";";
  }

  const std::pair<std::string, std::string> words[] = {
      {"@TO@", disk::Words("|", "|")},
      {"@ENDS@", "." + disk::Words(", .", " or .")},
      {"@HOLDS@", Holds()},
      {"@FLOPPIES@", disk::Names(false, ", ", " and ")},
      {"@FLOPPIES_OR@", disk::Names(false, ", ", " or ")},
      {"@HARD_DISKS@", disk::Names(true, ", ", " and ")},
      {"@MIME_TYPES@", types},
      {"@NAMES@", names},
      {"@VIEWS@", trivane::views::ViewWords("|", "|")}};
  for (const auto& [mark, value] : words) text = trivane::ReplaceAll(text, mark, value);
  return text;
}

bool Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (out.flush()) return true;
  std::cerr << "make-packaging: cannot write " << path.string() << "\n";
  return false;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make-packaging SOURCE DIR\n";
    return 2;
  }
  const fs::path source = argv[1], dir = argv[2];
  std::error_code ec;
  fs::create_directories(dir / "man", ec);
  bool ok = Write(dir / "trivane-mime.xml", MimeXml()) &&
            Write(dir / "trivane.desktop", Filled(Read(source / "trivane.desktop.in"))) &&
            Write(dir / "description.cmake", Filled(Read(source / "description.cmake.in")));
  for (const auto& e : fs::directory_iterator(source / "man")) {
    const fs::path p = e.path();
    if (p.extension() != ".in") continue;
    ok = ok && Write(dir / "man" / p.stem(), Filled(Read(p)));
  }
  return ok ? 0 : 1;
}
