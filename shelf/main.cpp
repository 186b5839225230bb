// trivane-shelf: a catalogue of a whole collection of images (and the zips
// they lie in), made once and asked again: every file findable, every
// duplicate found.
//
//   trivane-shelf index DIR... [--db FILE]
//   trivane-shelf find PATTERN | --sha256 H | --text WORDS [--json] [--db FILE]
//   trivane-shelf dupes [--similar S] [--json] [--db FILE]
//   trivane-shelf stats [--db FILE]
//   trivane-shelf export --csv|--json [--db FILE]
//
// Exit status: 0 when done, 1 when something could not be read or written
// (or find found nothing), 2 for a usage error.
#include <iostream>

#include "cli/arguments.h"
#include "cli/escaped.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "cli/output.h"
#include "formats/text.h"
#include "shelf/catalogue.h"

namespace {

namespace shelf = trivane::shelf;
using trivane::cli::Escaped;

constexpr char kUsage[] =
    "usage: trivane-shelf index DIR... [--db FILE]\n"
    "       trivane-shelf find PATTERN | --sha256 H | --text WORDS [--json] [--db FILE]\n"
    "       trivane-shelf dupes [--similar S] [--json] [--db FILE]\n"
    "       trivane-shelf stats [--db FILE]\n"
    "       trivane-shelf export --csv|--json [--db FILE]\n";

int Usage(const std::string& complaint) {
  std::cerr << "trivane-shelf: " << complaint << "\n" << kUsage;
  return 2;
}

std::unique_ptr<shelf::Catalogue> OpenCatalogue(const trivane::cli::Parsed& p) {
  const std::filesystem::path db =
      p.Value("--db") ? trivane::PathFromUtf8(*p.Value("--db")) : shelf::DefaultCatalogue();
  std::string error;
  auto catalogue = shelf::Catalogue::Open(db, error);
  if (!catalogue)
    std::cerr << "trivane-shelf: " << Escaped(trivane::Utf8Of(db)) << ": " << error << "\n";
  return catalogue;
}

void Progress(std::size_t done, std::size_t total) {
  constexpr std::size_t kWidth = 30;
  const std::size_t filled = total == 0 ? kWidth : done * kWidth / total;
  std::cerr << "\rreading " << done << " of " << total << " [" << std::string(filled, '#')
            << std::string(kWidth - filled, ' ') << "]" << (done == total ? "\n" : "")
            << std::flush;
}

int Index(const trivane::cli::Parsed& p) {
  if (p.operands.empty()) return Usage("index takes DIR...");
  auto catalogue = OpenCatalogue(p);
  if (!catalogue) return 1;
  std::vector<std::filesystem::path> folders;
  for (const std::string& f : p.operands) folders.push_back(trivane::PathFromUtf8(f));
  const shelf::IndexReport r =
      catalogue->Index(folders, trivane::cli::IsTerminal(2) ? Progress : nullptr);
  for (const std::string& problem : r.problems)
    std::cerr << "trivane-shelf: " << Escaped(problem) << "\n";
  std::cout << shelf::Summary(r) << "\n";
  return r.problems.empty() ? 0 : 1;
}

std::string HitJson(const shelf::Hit& h) {
  trivane::cli::JsonWriter j;
  j.BeginObject().Member("image", h.image).Key("drive");
  if (h.drive)
    j.Number(*h.drive);
  else
    j.Null();
  return j.Member("name", h.name)
      .Member("size", h.size)
      .Member("sha256", h.sha256)
      .EndObject()
      .text();
}

std::string HitText(const shelf::Hit& h) {
  return Escaped(h.image) + (h.drive ? " drive " + std::to_string(*h.drive) : "") + ": " +
         Escaped(h.name) + ", " + std::to_string(h.size) + " bytes, " + h.sha256;
}

int Find(const trivane::cli::Parsed& p) {
  const auto sha = p.Value("--sha256"), text = p.Value("--text");
  if ((sha ? 1 : 0) + (text ? 1 : 0) + (p.operands.empty() ? 0 : 1) != 1 || p.operands.size() > 1)
    return Usage("find takes one of PATTERN, --sha256 H or --text WORDS");
  auto catalogue = OpenCatalogue(p);
  if (!catalogue) return 1;
  trivane::cli::Output out("trivane-shelf");
  bool written = true;
  const auto each = [&](const shelf::Hit& h) {
    return written = out.Write((p.Has("--json") ? HitJson(h) : HitText(h)) + "\n");
  };
  const std::size_t hits = sha    ? catalogue->FindSha256(*sha, each)
                           : text ? catalogue->FindText(*text, each)
                                  : catalogue->FindNames(p.operands[0], each);
  return written && out.Finish() && hits > 0 ? 0 : 1;
}

std::string GroupJson(const shelf::Group& g) {
  trivane::cli::JsonWriter j;
  j.BeginObject().Member("kind", g.kind).Key("images").BeginArray();
  for (const std::string& image : g.images) j.String(image);
  j.EndArray();
  if (g.kind == "file") j.Member("name", g.name).Member("sha256", g.sha256);
  return j.EndObject().text();
}

std::string GroupText(const shelf::Group& g) {
  std::string text = g.kind == "file"    ? "file " + Escaped(g.name) + " " + g.sha256 + " on"
                     : g.kind == "disk"  ? "the same disk:"
                     : g.kind == "files" ? "the same files:"
                                         : "nearly the same:";
  for (const std::string& image : g.images) text += " " + Escaped(image);
  return text;
}

int Dupes(const trivane::cli::Parsed& p) {
  double similar = 0.9;
  if (const auto s = p.Value("--similar")) {
    char* end = nullptr;
    similar = std::strtod(s->c_str(), &end);
    if (end == s->c_str() || *end != '\0' || !(similar > 0 && similar <= 1))
      return Usage("--similar takes a share above 0, up to 1 (0.9)");
  }
  if (!p.operands.empty()) return Usage("dupes takes no operands");
  auto catalogue = OpenCatalogue(p);
  if (!catalogue) return 1;
  trivane::cli::Output out("trivane-shelf");
  bool written = true;
  catalogue->Dupes(similar, [&](const shelf::Group& g) {
    return written = out.Write((p.Has("--json") ? GroupJson(g) : GroupText(g)) + "\n");
  });
  return written && out.Finish() ? 0 : 1;
}

int Stats(const trivane::cli::Parsed& p) {
  if (!p.operands.empty()) return Usage("stats takes no operands");
  auto catalogue = OpenCatalogue(p);
  if (!catalogue) return 1;
  for (const std::string& line : catalogue->Stats()) std::cout << line << "\n";
  return 0;
}

std::string Csv(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

int Export(const trivane::cli::Parsed& p) {
  const bool json = p.Has("--json");
  if (json == p.Has("--csv") || !p.operands.empty()) return Usage("export takes --csv or --json");
  auto catalogue = OpenCatalogue(p);
  if (!catalogue) return 1;
  trivane::cli::Output out("trivane-shelf");
  if (!json && !out.Write("image,drive,name,size,sha256,kind\n")) return 1;
  bool written = true;
  catalogue->AllFiles([&](const shelf::Hit& h) {
    std::string line;
    if (json) {
      line = HitJson(h);
      line.insert(line.size() - 1, ",\"kind\":\"" + h.kind + "\"");
    } else {
      line = Csv(h.image) + "," + (h.drive ? std::to_string(*h.drive) : "") + "," + Csv(h.name) +
             "," + std::to_string(h.size) + "," + h.sha256 + "," + h.kind;
    }
    return written = out.Write(line + "\n");
  });
  return written && out.Finish() ? 0 : 1;
}

struct Command {
  const char* name;
  std::vector<trivane::cli::Option> options;
  int (*run)(const trivane::cli::Parsed&);
};

const Command kCommands[] = {
    {"index", {{"--db", true}}, Index},
    {"find", {{"--db", true}, {"--json"}, {"--sha256", true}, {"--text", true}}, Find},
    {"dupes", {{"--db", true}, {"--json"}, {"--similar", true}}, Dupes},
    {"stats", {{"--db", true}}, Stats},
    {"export", {{"--db", true}, {"--csv"}, {"--json"}}, Export},
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all = trivane::cli::Arguments(argc, argv);
  if (all.empty()) return Usage("no command given");
  if (all[0] == "--version") {
    std::cout << "trivane-shelf " TRIVANE_VERSION "\n";
    return 0;
  }
  if (all[0] == "--help" || all[0] == "-h") {
    std::cout << kUsage;
    return 0;
  }
  for (const Command& c : kCommands) {
    if (all[0] != c.name) continue;
    const trivane::cli::Parsed p =
        trivane::cli::ParseOptions({all.begin() + 1, all.end()}, c.options);
    if (p.help) {
      std::cout << kUsage;
      return 0;
    }
    if (!p.error.empty()) return Usage(p.error);
    return c.run(p);
  }
  return Usage("no command " + all[0]);
}
