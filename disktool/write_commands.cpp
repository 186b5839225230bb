// `convert IN OUT` and `new OUT --dos D`: the image is made, read back and
// proved (ops/convert.h), then written beside OUT and renamed into place.
// What a container cannot hold is listed before anything is written.
#include "disktool/write_commands.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli/escaped.h"
#include "disktool/listing.h"
#include "disktool/tape_commands.h"
#include "loader/image_file.h"
#include "ops/convert.h"
#include "ops/filesystems.h"
#include "present/new_disk.h"

namespace trivane::disktool {
namespace {

using cli::Escaped;

// The container --to names, or OUT's name says; nullopt with a complaint.
std::optional<disk::Container> Target(const cli::Parsed& p, const std::string& out,
                                      std::string& complaint) {
  std::string name = p.Value("--to").value_or("");
  const bool named = !name.empty();
  if (!named) {
    name = PathFromUtf8(out).extension().string();
    if (!name.empty()) name.erase(0, 1);
  }
  const disk::ContainerFormat* f = disk::FormatNamed(name);
  if (f != nullptr && f->writes) return f->kind;
  complaint = named
                  ? "--to takes " + disk::Words(", ", " or ")
                  : "OUT's name does not say the container: give --to " + disk::Words(", ", " or ");
  return std::nullopt;
}

}  // namespace

std::optional<disk::WriteOptions> WriteOptionsOf(const cli::Parsed& p, std::string& complaint) {
  const std::string bytes = p.Value("--single-density-bytes").value_or("twice");
  const std::string turns = p.Value("--revolutions").value_or("1");
  complaint = "--single-density-bytes takes once or twice";
  if (bytes != "once" && bytes != "twice") return std::nullopt;
  complaint = "--revolutions takes a number from 1 to " + std::to_string(kMostRevolutions);
  if (turns.size() != 1 || turns[0] < '1' || turns[0] > '0' + kMostRevolutions) return std::nullopt;
  return disk::WriteOptions{.single_density_twice = bytes == "twice",
                            .revolutions = turns[0] - '0'};
}

namespace {

// Lists the losses, then keeps the bytes or says why nothing was written.
int Keep(const std::string& out, const ops::Proved& proved, bool overwrite) {
  for (const std::string& line : proved.losses) {
    std::cerr << "trivane-disk: " << Escaped(out) << ": not kept: " << line << "\n";
  }
  std::string error = proved.error;
  if (error.empty()) error = SaveImageFile(PathFromUtf8(out), proved.bytes, overwrite);
  if (!error.empty()) {
    std::cerr << "trivane-disk: " << Escaped(out) << ": " << error << "; nothing written\n";
    return 1;
  }
  std::cout << Escaped(out) << ": written, read back and verified"
            << (proved.losses.empty() ? "" : " (with the losses listed)") << "\n";
  return 0;
}

// Nothing is made for an OUT that exists (unless it may be replaced) or
// that is the input itself.
std::string OutRefusal(const std::string& out, const std::string& in, bool overwrite) {
  std::error_code ec;
  const auto path = PathFromUtf8(out);
  if (!std::filesystem::exists(path, ec)) return "";
  if (!in.empty() && std::filesystem::equivalent(path, PathFromUtf8(in), ec)) {
    return "OUT is IN, which is never changed";
  }
  return overwrite ? "" : "the file exists already; --overwrite replaces it";
}

std::optional<int> Count(const std::optional<std::string>& text) {
  if (!text) return 0;
  if (text->empty() || text->size() > 3 ||
      text->find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoi(*text);
}

// The request the options make; a complaint when they make none.
std::optional<filesystems::FormatRequest> Request(const cli::Parsed& p, std::string& complaint) {
  filesystems::FormatRequest q;
  q.dos = p.Value("--dos").value_or("");
  q.format = p.Value("--format").value_or("");
  const auto cylinders = Count(p.Value("--cylinders")), heads = Count(p.Value("--heads"));
  const std::string density = p.Value("--density").value_or("");
  const auto choices = ops::FormatChoices();
  if (std::none_of(choices.begin(), choices.end(), [&](const auto& c) { return c.word == q.dos; }))
    complaint = "--dos takes " + ops::FormatWords();
  if (!cylinders || !heads) complaint = "--cylinders and --heads take a number";
  if (!density.empty() && density != "single" && density != "double") {
    complaint = "--density takes single or double";
  }
  if (!complaint.empty()) return std::nullopt;
  q.cylinders = *cylinders;
  q.heads = *heads;
  q.density = density.empty() ? 0 : density == "single" ? 1 : 2;
  q.name = p.Value("--name").value_or("");
  q.date = p.Value("--date").value_or(present::Today());
  return q;
}

}  // namespace

std::optional<int> DriveNumber(const cli::Parsed& p) {
  const std::optional<std::string> value = p.Value("--drive");
  if (!value) return -1;
  int n = -1;
  const auto [end, ec] = std::from_chars(value->data(), value->data() + value->size(), n);
  if (ec != std::errc() || end != value->data() + value->size() || n < 0) return std::nullopt;
  return n;
}

int UsageError(const std::string& complaint) {
  std::cerr << "trivane-disk: " << complaint << " (trivane-disk --help tells more)\n";
  return 2;
}

int NewCommand(const cli::Parsed& p) {
  if (p.Has("--list")) {
    for (const filesystems::FormatChoice& c : ops::FormatChoices()) {
      const std::string how = c.format.empty() ? c.word : c.word + " --format " + c.format;
      std::cout << how << std::string(how.size() < 34 ? 34 - how.size() : 1, ' ') << c.name << "\n";
    }
    return 0;
  }
  if (p.Value("--from")) return NewTape(p);
  if (p.operands.size() != 1) return UsageError("new takes OUT");
  const std::string& out = p.operands[0];
  std::string complaint;
  auto q = Request(p, complaint);
  // A hard disk's container is the Reed image's, whatever OUT's name says.
  std::optional<disk::Container> to;
  if (q) to = p.Has("--hard-disk") ? disk::Container::kReed : Target(p, out, complaint);
  if (!q || !to) return UsageError(complaint);
  const auto options = WriteOptionsOf(p, complaint);
  if (!options) return UsageError(complaint);
  q->container = *to;
  if (p.Has("--hard-disk")) {
    if (p.Value("--to") || p.Value("--density") || p.Value("--format"))
      return UsageError("--hard-disk takes no --to, --density or --format");
    const auto drives = Count(p.Value("--drives"));
    if (!drives || q->cylinders == 0 || q->heads == 0)
      return UsageError("--hard-disk takes --cylinders C --heads H and may take --drives N");
    q->drives = *drives;
    q->container = disk::Container::kReed;
  } else if (p.Value("--drives")) {
    return UsageError("--drives is for --hard-disk");
  }
  const bool overwrite = p.Has("--overwrite");
  if (const std::string why = OutRefusal(out, "", overwrite); !why.empty()) {
    std::cerr << "trivane-disk: " << Escaped(out) << ": " << why << "\n";
    return 1;
  }
  return Keep(out, ops::NewImage(ops::FormatNew(*q), q->container, *options), overwrite);
}

int ConvertCommand(const cli::Parsed& p) {
  if (p.Value("-o")) {
    if (const std::string word = p.Value("--to").value_or(""); word == "cas" || word == "wav") {
      if (p.operands.empty()) return UsageError("convert -o DIR takes TAPE...");
      return ConvertTapes(p, word == "cas" ? tape::Container::kCas : tape::Container::kWav);
    }
    const disk::ContainerFormat* f = disk::FormatNamed(p.Value("--to").value_or(""));
    if (f == nullptr || !f->writes)
      return UsageError("-o DIR takes --to " + disk::Words(", ", " or "));
    if (p.operands.empty()) return UsageError("convert -o DIR takes IMAGE...");
    return ConvertMany(p, *f);
  }
  if (p.operands.size() != 2) return UsageError("convert takes IN OUT, or --to C -o DIR IMAGE...");
  const std::string& in = p.operands[0];
  const std::string& out = p.operands[1];
  if (ops::IsTapeFile(PathFromUtf8(in))) return ConvertTape(p);
  std::string complaint;
  const auto to = Target(p, out, complaint);
  if (!to) return UsageError(complaint);
  const auto options = WriteOptionsOf(p, complaint);
  if (!options) return UsageError(complaint);
  const bool overwrite = p.Has("--overwrite");
  if (const std::string why = OutRefusal(out, in, overwrite); !why.empty()) {
    std::cerr << "trivane-disk: " << Escaped(out) << ": " << why << "\n";
    return 1;
  }
  const ops::OpenedImage r = ops::OpenImage(PathFromUtf8(in), ops::Purpose::kCatalogue);
  if (!r.error.empty()) {
    std::cerr << "trivane-disk: " << Escaped(in) << ": " << r.error << "\n";
    return 1;
  }
  return Keep(out, ops::Convert(r.disk, *to, *options, p.Has("--force")), overwrite);
}

}  // namespace trivane::disktool
