// `convert --to C -o DIR IMAGE...`: a whole collection converted at once,
// the images spread over the processors. Each keeps its name with the
// container's extension, is proved as a single conversion is, and is never
// written over a file; the results are said in the images' order, a
// progress line on a terminal, then a summary: converted, converted with
// losses and where, refused and why. The status is 1 when any was refused.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>

#include "cli/escaped.h"
#include "cli/in_order.h"
#include "cli/output.h"
#include "disktool/listing.h"
#include "disktool/write_commands.h"
#include "loader/image_file.h"
#include "ops/archives.h"
#include "ops/convert.h"

namespace trivane::disktool {
namespace {

using cli::Escaped;

struct Converted {
  std::string out;                  // the file written, or to be
  std::vector<std::string> losses;  // what it could not hold
  std::string error;                // why nothing was written
};

// OUT for each image: DIR/NAME.WORD; an image whose OUT another before it
// takes is refused.
std::vector<Converted> Outputs(const std::vector<std::string>& images, const std::string& dir,
                               const std::string& word) {
  std::vector<Converted> outs(images.size());
  std::map<std::string, std::size_t> taken;
  for (std::size_t i = 0; i < images.size(); ++i) {
    std::filesystem::path name = PathFromUtf8(images[i]).filename();
    name.replace_extension("." + word);
    outs[i].out = Utf8Of(PathFromUtf8(dir) / name);
    const auto [at, fresh] = taken.emplace(outs[i].out, i);
    if (!fresh) outs[i].error = "its name is " + Escaped(images[at->second]) + "'s too";
  }
  return outs;
}

Converted ConvertOne(const std::string& in, Converted c, const ConvertOneFn& one) {
  if (!c.error.empty()) return c;
  std::error_code ec;
  if (std::filesystem::exists(PathFromUtf8(c.out), ec)) {
    c.error = Escaped(c.out) + " exists already";
    return c;
  }
  c.error = one(in, c.out, c.losses);
  return c;
}

// The summary after the last image.
void Summary(const std::vector<std::string>& images, const std::vector<Converted>& done) {
  int converted = 0, lossy = 0, refused = 0;
  for (const Converted& c : done) {
    converted += c.error.empty();
    lossy += c.error.empty() && !c.losses.empty();
    refused += !c.error.empty();
  }
  std::cout << "converted " << converted << " (" << lossy << " with losses), refused " << refused
            << "\n";
  for (std::size_t i = 0; i < done.size(); ++i) {
    if (done[i].error.empty() && !done[i].losses.empty()) {
      std::cout << "  with losses: " << Escaped(images[i]) << ": " << done[i].losses.size()
                << (done[i].losses.size() == 1 ? " line: " : " lines, the first: ")
                << done[i].losses.front() << "\n";
    }
  }
  for (std::size_t i = 0; i < done.size(); ++i) {
    if (!done[i].error.empty()) {
      std::cout << "  refused: " << Escaped(images[i]) << ": " << done[i].error << "\n";
    }
  }
}

}  // namespace

int ConvertMany(const cli::Parsed& p, const disk::ContainerFormat& to) {
  const bool force = p.Has("--force");
  std::string complaint;
  const std::optional<disk::WriteOptions> options = WriteOptionsOf(p, complaint);
  if (!options) return UsageError(complaint);
  return ConvertMany(
      p, std::string(to.word),
      [&to, force, &options](const std::string& in, const std::string& out,
                             std::vector<std::string>& losses) {
        const ops::OpenedImage r = ops::OpenImage(PathFromUtf8(in), ops::Purpose::kCatalogue);
        if (!r.error.empty()) return r.error;
        const ops::Proved proved = ops::Convert(r.disk, to.kind, *options, force);
        losses = proved.losses;
        return proved.error.empty() ? SaveImageFile(PathFromUtf8(out), proved.bytes, false)
                                    : proved.error;
      });
}

int ConvertMany(const cli::Parsed& p, const std::string& word, const ConvertOneFn& one) {
  const std::string dir = *p.Value("-o");
  if (p.Has("--overwrite")) return UsageError("-o DIR never writes over a file");
  std::error_code ec;
  std::filesystem::create_directories(PathFromUtf8(dir), ec);
  if (!std::filesystem::is_directory(PathFromUtf8(dir), ec)) {
    std::cerr << "trivane-disk: " << Escaped(dir) << ": not a folder that can be made\n";
    return 1;
  }
  const std::vector<std::string> images = ops::WithArchiveMembers(p.operands);
  std::vector<Converted> done = Outputs(images, dir, word);
  const bool terminal = cli::IsTerminal(2);
  const auto produce = [&](std::size_t i) { return ConvertOne(images[i], done[i], one); };
  const auto consume = [&](std::size_t i, const Converted& c) {
    done[i] = c;
    if (terminal) std::cerr << "\r" << i + 1 << " of " << images.size() << " " << std::flush;
    if (!c.error.empty()) return true;
    std::cout << Escaped(images[i]) << " -> " << Escaped(c.out)
              << ": written, read back and verified" << (c.losses.empty() ? "" : " (with losses)")
              << "\n";
    return true;
  };
  const unsigned workers = cli::Workers();
  cli::InOrder<Converted>(images.size(), workers, 2 * workers, produce, consume);
  if (terminal) std::cerr << "\r" << std::string(24, ' ') << "\r" << std::flush;
  Summary(images, done);
  return std::any_of(done.begin(), done.end(), [](const Converted& c) { return !c.error.empty(); })
             ? 1
             : 0;
}

}  // namespace trivane::disktool
