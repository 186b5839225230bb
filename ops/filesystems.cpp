#include "ops/filesystems.h"

#include "fs/cpm/unit.h"
#include "fs/trsdos/unit.h"

namespace trivane::ops {
namespace {

constexpr Unit kUnits[] = {
    {"TRSDOS family", trsdos::OpenTrsdos, trsdos::TrsdosFormats, trsdos::FormatTrsdos},
    {"CP/M", cpm::OpenCpm, nullptr, nullptr},
};

}  // namespace

std::span<const Unit> Units() {
  return kUnits;
}

// The higher score wins; the earlier unit on a tie.
std::unique_ptr<filesystems::Filesystem> OpenFilesystem(const disk::Disk& disk) {
  std::unique_ptr<filesystems::Filesystem> best;
  for (const Unit& u : kUnits) {
    std::unique_ptr<filesystems::Filesystem> fs = u.open(disk);
    if (fs != nullptr && fs->Score() > 0 && (best == nullptr || fs->Score() > best->Score())) {
      best = std::move(fs);
    }
  }
  return best;
}

std::unique_ptr<filesystems::Filesystem> FilesystemToChange(const disk::Disk& disk) {
  std::unique_ptr<filesystems::Filesystem> best = OpenFilesystem(disk);
  return best != nullptr ? std::move(best) : kUnits[0].open(disk);
}

std::vector<filesystems::FormatChoice> FormatChoices() {
  std::vector<filesystems::FormatChoice> out;
  for (const Unit& u : kUnits) {
    if (u.formats == nullptr) continue;
    for (filesystems::FormatChoice& c : u.formats()) out.push_back(std::move(c));
  }
  return out;
}

std::string FormatWords() {
  const std::vector<filesystems::FormatChoice> choices = FormatChoices();
  std::string words;
  for (std::size_t k = 0; k < choices.size(); ++k) {
    words += (k == 0 ? "" : k + 1 == choices.size() ? " or " : ", ") + choices[k].word;
  }
  return words;
}

filesystems::NewDisk FormatNew(const filesystems::FormatRequest& request) {
  for (const Unit& u : kUnits) {
    if (u.formats == nullptr) continue;
    for (const filesystems::FormatChoice& c : u.formats()) {
      if (c.word == request.dos) return u.format(request);
    }
  }
  filesystems::NewDisk none;
  none.error = "no FORMAT for that DOS";
  return none;
}

}  // namespace trivane::ops
