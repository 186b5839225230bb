// trivane-disk: every sector of JV1, JV3, DMK, HFE, IMD and Reed hard-disk
// images, their DOS and their files.
//   trivane-disk sectors [--json] [--data] IMAGE...
//   trivane-disk hexdump IMAGE [--cyl C --head H --sector S]
//   trivane-disk sector IMAGE C H S > out.bin
// Exit status: 0 when every file was read, 1 when any could not be (or held
// no sectors), 2 for a usage error.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "cli/escaped.h"
#include "cli/in_order.h"
#include "cli/options.h"
#include "cli/output.h"
#include "disk/container.h"
#include "disk/sector_store.h"
#include "disktool/dir.h"
#include "disktool/listing.h"
#include "disktool/tape_commands.h"
#include "disktool/write_commands.h"
#include "formats/text.h"
#include "fs/filesystem.h"
#include "ops/archives.h"
#include "ops/filesystems.h"
#include "ops/open.h"
#include "views/view.h"

namespace {

using trivane::cli::Escaped;
namespace ops = trivane::ops;

int Sectors(const trivane::cli::Parsed& p);
int HexDumpCommand(const trivane::cli::Parsed& p);
int SectorCommand(const trivane::cli::Parsed& p);
int Dir(const trivane::cli::Parsed& p);
int ExtractCommand(const trivane::cli::Parsed& p);
int CatCommand(const trivane::cli::Parsed& p);

// Each command: its usage line and help (for --help and COMMAND --help), the
// options it takes, and what runs it.
struct Command {
  const char* name;
  const char* usage;
  const char* help;
  std::vector<trivane::cli::Option> options;
  int (*run)(const trivane::cli::Parsed&);
};

const Command kCommands[] = {
    {"sectors",
     "sectors [--json] [--data] [--revolutions] IMAGE...",
     "per track a line of its sectors (id, size, density, data address\n"
     "mark, CRC errors, missing data) and a summary per image;\n"
     "--json: one object per image per line; --data: with each\n"
     "sector's bytes in hex; --revolutions: then per track each sector\n"
     "and the revolutions of a flux dump it read good on",
     {{"--json"}, {"--data"}, {"--revolutions"}},
     Sectors},
    {"hexdump",
     "hexdump IMAGE [--cyl C --head H --sector S]",
     "the whole file, or one sector's data, as offset, hex and text",
     {{"--cyl", true}, {"--head", true}, {"--sector", true}},
     HexDumpCommand},
    {"sector",
     "sector IMAGE C H S > FILE",
     "one sector's data, raw, to standard output (not a terminal)",
     {},
     SectorCommand},
    {"dir",
     "dir [--json] [--all] [--drive N] IMAGE...",
     "the DOS (and why it is believed), the directory and the\n"
     "findings; --json: one object per image; --all: deleted files too.\n"
     "A hard disk's header, then each of its drives (--drive N: one),\n"
     "as a JSON object each. A tape (CAS, WAV): its programs",
     {{"--json"}, {"--all"}, {"--drive", true}},
     Dir},
    {"extract",
     "extract IMAGE [NAME/EXT...] -o DIR [--all] [--force] [--listings] [--drive N]",
     "the files (all when none is named) as NAME.EXT into DIR, deleted\n"
     "ones (--all) into DIR/deleted, a second file of one name as\n"
     "NAME-2.EXT; never over an existing file. No file that was not\n"
     "read whole unless --force, which gives a sector that failed its\n"
     "CRC as read and one without data as zeros, and names each;\n"
     "--listings: beside each BASIC program its listing, NAME.EXT.txt;\n"
     "--drive N: a hard disk's drive N (needed where it has several)",
     {{"-o", true}, {"--all"}, {"--force"}, {"--listings"}, {"--drive", true}},
     ExtractCommand},
    {"cat",
     "cat IMAGE NAME/EXT [--text] [--all] [--force] [--drive N]",
     "one file's bytes to standard output; --text: lines end as LF (the\n"
     "TRS-80's CR, CP/M's CR LF; CP/M text ends at ^Z);\n"
     "--all: a deleted file; --force as for extract",
     {{"--text"}, {"--all"}, {"--force"}, {"--drive", true}},
     CatCommand},
    {"view",
     "view IMAGE NAME/EXT [--as {views}] [--all] [--drive N]",
     "one file as its owner reads it: a BASIC program listed, text, a load\n"
     "module's map (cmd) or its Z80 disassembly (asm), a CP/M program's\n"
     "code from 0100 (com), or hex; chosen by what the bytes are (and a\n"
     "CP/M program by its name) unless --as (the choice and why on stderr)",
     {{"--as", true}, {"--all"}, {"--drive", true}},
     trivane::disktool::ViewCommand},
    {"convert",
     "convert IN OUT [--to {to}] [--single-density-bytes once|twice]\n"
     "               [--revolutions N] [--force] [--overwrite]\n"
     "       trivane-disk convert --to C -o DIR IMAGE... [--force]\n"
     "       trivane-disk convert TAPE OUT.cas|OUT.wav [--baud 250|500|1500] [--rate 22050|44100]\n"
     "               [--overwrite]   |   convert --to cas|wav -o DIR TAPE...",
     "IN as another container (from OUT's name {ends} when no\n"
     "--to): every sector's ID, size, density, mark, CRC state and data\n"
     "the target holds; what it cannot is listed and nothing written\n"
     "unless --force. DMK tracks as a controller writes them, single\n"
     "density bytes twice unless once; HFE tracks one revolution at 250\n"
     "kbit/s; SCP flux N revolutions a track (--revolutions, 1 to 5,\n"
     "one unless told). OUT is read back and verified, then put in place; never over\n"
     "a file unless --overwrite, never IN. With -o, each IMAGE into DIR\n"
     "under its name with the container's extension, never over a file,\n"
     "side by side; then what was converted, with losses, and refused",
     {{"--to", true},
      {"--single-density-bytes", true},
      {"--revolutions", true},
      {"--force"},
      {"--overwrite"},
      {"-o", true},
      {"--baud", true},
      {"--rate", true}},
     trivane::disktool::ConvertCommand},
    {"new",
     "new OUT --dos {doses} [--format NAME] [--to {to}]\n"
     "               [--cylinders N] [--heads 1|2] [--density single|double]\n"
     "               [--name NAME] [--date MM/DD/YY] [--overwrite]   |   new --list\n"
     "       trivane-disk new OUT --hard-disk --dos ldos --cylinders C --heads H [--drives N]\n"
     "       trivane-disk new TAPE.cas|TAPE.wav --from DISK NAME/EXT... [--baud B] [--drive N]",
     "an empty data disk as the DOS formats one (its usual disk unless\n"
     "told: NEWDOS/80 and LDOS 40 cylinders, TRSDOS 2.3 35, single\n"
     "density; TRSDOS 1.3 40, double); dated today unless --date. A CP/M\n"
     "disk in the format --format names; --list names the DOSes and formats.\n"
     "--hard-disk: a Reed hard-disk image of C cylinders (36 to 203) and H\n"
     "heads (1 to 8), its first N heads (all unless told) each an empty\n"
     "LDOS drive",
     {{"--dos", true},
      {"--format", true},
      {"--list"},
      {"--to", true},
      {"--cylinders", true},
      {"--heads", true},
      {"--density", true},
      {"--name", true},
      {"--date", true},
      {"--single-density-bytes", true},
      {"--overwrite"},
      {"--hard-disk"},
      {"--drives", true},
      {"--from", true},
      {"--baud", true},
      {"--rate", true},
      {"--drive", true}},
     trivane::disktool::NewCommand},
    {"put",
     "put IMAGE FILE... [--as NAME/EXT] [--replace] [--date MM/DD/YY] [--format NAME]\n"
     "               [--no-backup] [--drive N]",
     "each host file onto the disk as its DOS writes one (named from the\n"
     "host name unless --as); a file of that name only with --replace;\n"
     "--format: a new CP/M disk whose tracks more than one format lays out alike",
     {{"--as", true},
      {"--replace"},
      {"--date", true},
      {"--format", true},
      {"--no-backup"},
      {"--drive", true}},
     trivane::disktool::PutCommand},
    {"rm",
     "rm IMAGE NAME/EXT... [--no-backup] [--drive N]",
     "deletes the files as their DOS does (never BOOT/SYS or DIR/SYS)",
     {{"--no-backup"}, {"--drive", true}},
     trivane::disktool::RmCommand},
    {"rename",
     "rename IMAGE OLD NEW [--no-backup] [--drive N]",
     "renames a file as its DOS does. put, rm and rename change the\n"
     "image only when every change reads back as made, every other file\n"
     "as before and no new finding; the original is kept as IMAGE.bak\n"
     "unless --no-backup. Refused on an unknown DOS, a directory whose\n"
     "allocation is in doubt, a write-protected image. On a hard disk\n"
     "they change the drive --drive N names, and only its sectors",
     {{"--no-backup"}, {"--drive", true}},
     trivane::disktool::RenameCommand},
};

constexpr const char* kAbout =
    "trivane-disk reads every sector of {floppies} disk images,\n"
    "and every drive of a {hard disks} hard-disk image (--drive N names one).\n\n";
constexpr const char* kFooter =
    "\nCylinder and head are where the sector lies; the sector is its id. Names\n"
    "match in any letter case, as NAME/EXT, NAME.EXT or NAME:d. \"--\" ends the\n"
    "options; COMMAND --help tells of one command.\n"
    "Exit status: 0 when every file was read, 1 when any could not be read or\n"
    "held no sectors, 2 for a usage error.\n";

// The text with the containers' words in place of {to} and {ends}, their
// names in place of {floppies} and {hard disks}, the DOSes a new disk is
// made by in place of {doses}, the views' words in place of {views}.
std::string Filled(const char* text) {
  std::string out = text;
  std::vector<std::string> doses;
  for (const auto& c : ops::FormatChoices()) {
    if (std::find(doses.begin(), doses.end(), c.word) == doses.end()) doses.push_back(c.word);
  }
  const std::pair<std::string, std::string> words[] = {
      {"{to}", trivane::disk::Words("|", "|")},
      {"{ends}", "." + trivane::disk::Words(", .", ", .")},
      {"{floppies}", trivane::disk::Names(false, ", ", " and ")},
      {"{hard disks}", trivane::disk::Names(true, ", ", " or ")},
      {"{doses}", trivane::JoinedWords(doses, "|", "|")},
      {"{views}", trivane::views::ViewWords("|", "|")}};
  for (const auto& [mark, value] : words) out = trivane::ReplaceAll(out, mark, value);
  return out;
}

std::string UsageText(const char* only = nullptr) {
  std::string text;
  for (const Command& c : kCommands) {
    if (only != nullptr && std::string(only) != c.name) continue;
    text += std::string(text.empty() ? "usage: " : "       ") + "trivane-disk " + Filled(c.usage) +
            "\n";
  }
  return text;
}

// The help of each command (or of one), its lines indented under its name.
std::string HelpText(const char* only = nullptr) {
  std::string text;
  for (const Command& c : kCommands) {
    if (only != nullptr && std::string(only) != c.name) continue;
    std::string name = c.name;
    name.resize(10, ' ');
    text += "  " + name;
    for (char h : Filled(c.help)) {
      text += h;
      if (h == '\n') text += "            ";
    }
    text += "\n";
  }
  return text;
}

int Usage(const std::string& complaint) {
  std::cerr << "trivane-disk: " << complaint << "\n" << UsageText();
  return 2;
}

std::optional<int> Number(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// Why the image holds no sectors, or an empty text: its error, or a
// container that holds none (its listing is still made).
std::string NoSectors(const ops::OpenedImage& r) {
  if (!r.error.empty() || !r.disk.sectors.empty()) return r.error;
  return "the image holds no sectors";
}

// Sector data makes a listing as large as its image: one image at a time,
// written as it is made.
int SectorsWithData(const std::vector<std::string>& files) {
  trivane::cli::Output output("trivane-disk");
  const auto write = [&](const std::string& part) { return output.Write(part); };
  int status = 0;
  std::string out;
  for (const std::string& file : files) {
    const ops::OpenedImage r = ops::OpenImage(trivane::PathFromUtf8(file), ops::Purpose::kSectors);
    if (!NoSectors(r).empty()) status = 1;
    out.clear();
    trivane::disktool::AppendSectorsJson(out, r, true, write);
    out += '\n';
    if (!output.Write(out)) return 1;
  }
  return output.Finish() ? status : 1;
}

int Sectors(const trivane::cli::Parsed& p) {
  const bool json = p.Has("--json"), data = p.Has("--data");
  const std::vector<std::string> files = ops::WithArchiveMembers(p.operands);
  if (files.empty()) return Usage("no image named");
  const bool revolutions = p.Has("--revolutions");
  if (revolutions && json) return Usage("--revolutions is a text listing: it takes no --json");
  if (json && data) return SectorsWithData(files);
  // A listing of sectors may be as large as its image: few wait at a time.
  return trivane::cli::WriteInOrder("trivane-disk", files, json, 2, [&](std::size_t i) {
    const ops::OpenedImage r =
        ops::OpenImage(trivane::PathFromUtf8(files[i]), ops::Purpose::kSectors);
    trivane::cli::Shown l{{}, NoSectors(r)};
    if (json) {
      trivane::disktool::AppendSectorsJson(l.out, r, false);
      l.out += '\n';
    } else if (r.error.empty()) {
      l.out = trivane::disktool::SectorsText(r);
      if (revolutions) l.out += trivane::disktool::RevolutionsText(r.disk);
    }
    return l;
  });
}

// The sector at C H S of the image, or a message and status 1.
const trivane::disk::Sector* Locate(const ops::OpenedImage& r, int c, int h, int s) {
  if (!r.error.empty()) {
    std::cerr << "trivane-disk: " << Escaped(r.file) << ": " << r.error << "\n";
    return nullptr;
  }
  const trivane::disk::Sector* sector = trivane::disk::SectorStore(r.disk).At({c, h, s});
  if (sector == nullptr || !sector->has_data()) {
    std::cerr << "trivane-disk: " << Escaped(r.file) << ": no sector " << s
              << " with data on cylinder " << c << " head " << h << "\n";
    return nullptr;
  }
  return sector;
}

int HexDumpCommand(const trivane::cli::Parsed& p) {
  std::optional<int> place[3];  // cylinder, head, sector
  const char* names[3] = {"--cyl", "--head", "--sector"};
  for (int k = 0; k < 3; ++k) {
    if (const auto v = p.Value(names[k]); v && !(place[k] = Number(*v))) {
      return Usage(std::string(names[k]) + " takes a number");
    }
  }
  if (p.operands.size() > 1) return Usage("unexpected " + p.operands[1]);
  const std::string file = p.operands.empty() ? "" : p.operands[0];
  if (file.empty()) return Usage("no image named");
  const bool one = place[0] || place[1] || place[2];
  if (one && !(place[0] && place[1] && place[2])) {
    return Usage("--cyl, --head and --sector go together");
  }
  const ops::OpenedImage r = ops::OpenImage(trivane::PathFromUtf8(file), ops::Purpose::kSectors);
  trivane::cli::Output output("trivane-disk");
  if (one) {
    const trivane::disk::Sector* s = Locate(r, *place[0], *place[1], *place[2]);
    if (s == nullptr) return 1;
    const std::vector<std::uint8_t> data = trivane::disk::SectorData(r.disk, *s);
    return output.Write(trivane::disktool::HexDump(data.data(), data.size(), 0)) && output.Finish()
               ? 0
               : 1;
  }
  if (!r.loaded) {
    std::cerr << "trivane-disk: " << Escaped(file) << ": " << r.error << "\n";
    return 1;
  }
  std::vector<std::uint8_t> chunk(64 * 1024);
  for (trivane::Offset at = 0; at < r.image.size();
       at += static_cast<trivane::Offset>(chunk.size())) {
    const auto n = static_cast<std::size_t>(
        std::min<trivane::Offset>(static_cast<trivane::Offset>(chunk.size()), r.image.size() - at));
    r.image.Read(at, chunk.data(), n);
    if (!output.Write(trivane::disktool::HexDump(chunk.data(), n, at))) return 1;
  }
  return output.Finish() ? 0 : 1;
}

int SectorCommand(const trivane::cli::Parsed& p) {
  const std::vector<std::string>& args = p.operands;
  if (args.size() != 4) return Usage("sector takes IMAGE C H S");
  std::optional<int> n[3];
  for (int k = 0; k < 3; ++k) {
    if (!(n[k] = Number(args[1 + k]))) return Usage("C, H and S are numbers");
  }
  if (trivane::cli::IsTerminal(1)) {
    std::cerr << "trivane-disk: the sector's data is binary: send it to a file (> out.bin)\n";
    return 2;
  }
  const ops::OpenedImage r = ops::OpenImage(trivane::PathFromUtf8(args[0]), ops::Purpose::kSectors);
  const trivane::disk::Sector* s = Locate(r, *n[0], *n[1], *n[2]);
  if (s == nullptr) return 1;
  const std::vector<std::uint8_t> data = trivane::disk::SectorData(r.disk, *s);
  trivane::cli::Output output("trivane-disk");
  return output.Write({reinterpret_cast<const char*>(data.data()), data.size()}) && output.Finish()
             ? 0
             : 1;
}

int Dir(const trivane::cli::Parsed& p) {
  const bool json = p.Has("--json"), all = p.Has("--all");
  const std::vector<std::string> files = ops::WithArchiveMembers(p.operands);
  if (files.empty()) return Usage("no image named");
  const std::optional<int> drive = trivane::disktool::DriveNumber(p);
  if (!drive) return Usage("--drive takes a drive's number");
  // A directory listing is small: many may wait while a large image is read.
  return trivane::cli::WriteInOrder("trivane-disk", files, json, 16, [&](std::size_t i) {
    if (const ops::OpenedTape t = ops::OpenTape(trivane::PathFromUtf8(files[i])); t.is_tape) {
      trivane::cli::Shown l{{}, t.error};
      if (json)
        l.out = trivane::disktool::TapeDirJson(t) + "\n";
      else if (t.error.empty())
        l.out = trivane::disktool::TapeDirText(t);
      return l;
    }
    const auto r = ops::OpenDos(trivane::PathFromUtf8(files[i]), *drive, true);
    trivane::cli::Shown l{{}, NoSectors(r.sectors)};
    if (json) {
      l.out = trivane::disktool::DirJson(r, all);
      l.out += '\n';
    } else if (r.sectors.error.empty()) {
      l.out = trivane::disktool::DirText(r, all);
    }
    return l;
  });
}

int ExtractCommand(const trivane::cli::Parsed& p) {
  const std::string image = p.operands.empty() ? "" : p.operands[0];
  const std::string folder = p.Value("-o").value_or("");
  const std::vector<std::string> names(p.operands.begin() + (p.operands.empty() ? 0 : 1),
                                       p.operands.end());
  const bool all = p.Has("--all"), force = p.Has("--force");
  if (image.empty() || folder.empty()) return Usage("extract takes an image and -o DIR");
  const std::optional<int> drive = trivane::disktool::DriveNumber(p);
  if (!drive) return Usage("--drive takes a drive's number");
  if (const ops::OpenedTape t = ops::OpenTape(trivane::PathFromUtf8(image)); t.is_tape) {
    if (t.error.empty())
      return trivane::disktool::ExtractTape(t, names, folder, p.Has("--listings"));
    std::cerr << "trivane-disk: " << Escaped(image) << ": " << t.error << "\n";
    return 1;
  }
  const auto r = ops::OpenDos(trivane::PathFromUtf8(image), *drive);
  if (!r.sectors.error.empty() || !r.known()) {
    std::cerr << "trivane-disk: " << Escaped(image) << ": "
              << (r.sectors.error.empty() ? "no DOS directory was recognised" : r.sectors.error)
              << "\n";
    return 1;
  }
  return trivane::disktool::Extract(r, names, folder, all, force, p.Has("--listings"));
}

int CatCommand(const trivane::cli::Parsed& p) {
  const std::vector<std::string>& plain = p.operands;
  const bool text = p.Has("--text"), all = p.Has("--all"), force = p.Has("--force");
  if (plain.size() != 2) return Usage("cat takes IMAGE NAME/EXT");
  if (!text && trivane::cli::IsTerminal(1)) {
    std::cerr << "trivane-disk: the file may be binary: send it to a file, or give --text\n";
    return 2;
  }
  const std::optional<int> drive = trivane::disktool::DriveNumber(p);
  if (!drive) return Usage("--drive takes a drive's number");
  if (const auto tape = trivane::disktool::LookUpTapeFile(plain[0], plain[1]); tape.is_tape) {
    if (!tape.file) return 1;
    std::vector<std::uint8_t> bytes = tape.file->bytes;
    if (text) {
      for (std::uint8_t& b : bytes) b = b == '\r' ? '\n' : b;
    }
    trivane::cli::Output output("trivane-disk");
    return output.Write({reinterpret_cast<const char*>(bytes.data()), bytes.size()}) &&
                   output.Finish()
               ? 0
               : 1;
  }
  const ops::OpenedFile o =
      ops::OpenNamedFile(trivane::PathFromUtf8(plain[0]), plain[1], all, *drive);
  if (!o.entry) {
    std::cerr << "trivane-disk: " << Escaped(plain[0]) << ": " << o.error << "\n";
    return 1;
  }
  trivane::filesystems::FileBytes bytes = o.fs->Read(*o.entry);
  const std::string& shown = o.entry->name;
  if (const std::string why = trivane::filesystems::WhyNotGiven(*o.entry, bytes, force);
      !why.empty()) {
    std::cerr << "trivane-disk: " << shown << ": not given, " << why
              << (bytes.bytes.empty() ? "" : " (--force gives what was read)") << "\n";
    return 1;
  }
  for (const std::string& line : trivane::filesystems::DamageLines(bytes)) {
    std::cerr << "trivane-disk: " << shown << ": " << line << "\n";
  }
  if (text) bytes.bytes = o.fs->HostText(std::move(bytes.bytes));
  trivane::cli::Output output("trivane-disk");
  return output.Write({reinterpret_cast<const char*>(bytes.bytes.data()), bytes.bytes.size()}) &&
                 output.Finish()
             ? 0
             : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all = trivane::cli::Arguments(argc, argv);
  if (all.empty()) return Usage("no command given");
  const std::string command = all[0];
  const std::vector<std::string> args(all.begin() + 1, all.end());
  if (command == "--version") {
    std::cout << "trivane-disk " TRIVANE_VERSION "\n";
    return 0;
  }
  if (command == "--help" || command == "-h") {
    std::cout << UsageText() << "\n" << Filled(kAbout) << HelpText() << kFooter;
    return 0;
  }
  for (const Command& c : kCommands) {
    if (command != c.name) continue;
    const trivane::cli::Parsed p = trivane::cli::ParseOptions(args, c.options);
    if (p.help) {
      std::cout << UsageText(c.name) << "\n" << HelpText(c.name) << kFooter;
      return 0;
    }
    if (!p.error.empty()) return Usage(p.error);
    return c.run(p);
  }
  return Usage("unknown command " + command);
}
