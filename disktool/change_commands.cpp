// `put`, `rm` and `rename`: each change made as the disk's DOS makes it and
// proved (ops/prove.h), one after another in memory; only when all are
// proved is the image written, beside itself and renamed over it, the
// original kept as IMAGE.bak unless --no-backup. Any refusal leaves the
// image as it was.
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>

#include "cli/escaped.h"
#include "disktool/dir.h"
#include "disktool/listing.h"
#include "disktool/write_commands.h"
#include "loader/image_file.h"
#include "ops/archives.h"
#include "ops/filesystems.h"
#include "ops/prove.h"
#include "ops/tapes.h"
#include "present/new_disk.h"

namespace trivane::disktool {
namespace {

using cli::Escaped;
using filesystems::Filesystem;
using Step = std::function<filesystems::Changed(const Filesystem&)>;

// The image (of a hard disk, the drive --drive names) read to be changed;
// 0, else the status, its error said, when it cannot be.
int Read(const std::string& image, const cli::Parsed& p, ops::OpenedImage& r) {
  const std::optional<int> drive = DriveNumber(p);
  if (!drive) return UsageError("--drive takes a drive's number");
  if (ops::InArchive(PathFromUtf8(image))) {
    std::cerr
        << "trivane-disk: " << Escaped(image)
        << ": a zip archive and the images in it are never changed; extract the image first\n";
    return 1;
  }
  r = ops::OpenDrive(PathFromUtf8(image), *drive);
  if (r.error.empty()) return 0;
  std::cerr << "trivane-disk: " << Escaped(image) << ": " << r.error << "\n";
  return 1;
}

// Makes each step on the filesystem the last one left (the first on the
// disk as read), then keeps the result.
int Change(const std::string& image, std::shared_ptr<const Filesystem> fs,
           const std::vector<std::pair<std::string, Step>>& steps, bool backup) {
  filesystems::Changed now;
  now.filesystem = std::move(fs);
  for (const auto& [what, step] : steps) {
    filesystems::Changed next = step(*now.filesystem);
    if (!next.error.empty()) {
      std::cerr << "trivane-disk: " << Escaped(image) << ": " << what << ": " << next.error
                << (next.fault ? " (a fault: the change did not read back as made)" : "")
                << "; the image is unchanged\n";
      return 1;
    }
    now = std::move(next);
    std::cout << Escaped(image) << ": " << what << "\n";
  }
  const std::string error = SaveImageFile(PathFromUtf8(image), now.bytes, true, backup);
  if (!error.empty()) {
    std::cerr << "trivane-disk: " << Escaped(image) << ": " << error
              << "; the image is unchanged\n";
    return 1;
  }
  std::cout << Escaped(image) << ": written, read back and verified"
            << (backup ? "; the original is " + Escaped(image) + ".bak" : "") << "\n";
  return 0;
}

bool ReadHost(const std::string& file, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(PathFromUtf8(file), std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  return static_cast<bool>(in) || in.eof();
}

}  // namespace

// Each program of the tape as the file its DOS would keep it as
// (NAME/CMD, NAME/BAS), a step each; false, said, when one cannot be.
bool PutTape(const std::string& file, const Filesystem& fs, const std::optional<std::string>& as,
             bool replace, const std::string& date,
             std::vector<std::pair<std::string, Step>>& steps) {
  const ops::OpenedTape t = ops::OpenTape(PathFromUtf8(file));
  if (!t.error.empty()) {
    std::cerr << "trivane-disk: " << Escaped(file) << ": " << t.error << "\n";
    return false;
  }
  const std::vector<ops::TapeFile> files = ops::FilesOf(t.tape);
  for (const ops::TapeFile& f : files) {
    const std::string shown = fs.ListedName(as && files.size() == 1 ? *as : f.host_name);
    if (shown.empty()) {
      std::cerr << "trivane-disk: " << Escaped(file) << ": no DOS name can be made of "
                << f.host_name << " (" << fs.NameRule() << ")\n";
      return false;
    }
    const std::vector<std::uint8_t> bytes = f.bytes;
    steps.emplace_back(
        "put " + shown + " (" + std::to_string(bytes.size()) + " bytes)",
        [=](const Filesystem& on) { return ops::PutFile(on, shown, bytes, replace, date); });
  }
  return true;
}

int PutCommand(const cli::Parsed& p) {
  if (p.operands.size() < 2) return UsageError("put takes IMAGE FILE...");
  const auto as = p.Value("--as");
  if (as && p.operands.size() != 2) return UsageError("--as names one file");
  const bool replace = p.Has("--replace");
  const std::string date = p.Value("--date").value_or(present::Today());
  const std::string format = p.Value("--format").value_or("");
  ops::OpenedImage r;
  if (const int status = Read(p.operands[0], p, r); status != 0) return status;
  // A format named reads the disk as that format, for the first file; the
  // files after it are put on the disk as the proof of the one before read
  // it back.
  const std::shared_ptr<const Filesystem> fs =
      format.empty() ? ops::FilesystemToChange(r.disk) : ops::FilesystemAs(r.disk, format);
  if (fs == nullptr) return UsageError("--format takes a CP/M format's name (new --list)");
  std::vector<std::pair<std::string, Step>> steps;
  for (std::size_t k = 1; k < p.operands.size(); ++k) {
    const std::string& file = p.operands[k];
    if (ops::IsTapeFile(PathFromUtf8(file))) {
      if (!PutTape(file, *fs, p.operands.size() == 2 ? as : std::nullopt, replace, date, steps))
        return 1;
      continue;
    }
    const std::string shown = fs->ListedName(as.value_or(PathFromUtf8(file).filename().string()));
    if (shown.empty()) {
      std::cerr << "trivane-disk: " << Escaped(file) << ": no DOS name can be made of it ("
                << fs->NameRule() << "): give one with --as " << fs->NameForm() << "\n";
      return 1;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadHost(file, bytes)) {
      std::cerr << "trivane-disk: " << Escaped(file) << ": it cannot be read\n";
      return 1;
    }
    steps.emplace_back(
        "put " + shown + " (" + std::to_string(bytes.size()) + " bytes)",
        [=](const Filesystem& on) { return ops::PutFile(on, shown, bytes, replace, date); });
  }
  return Change(p.operands[0], fs, steps, !p.Has("--no-backup"));
}

int RmCommand(const cli::Parsed& p) {
  if (p.operands.size() < 2) return UsageError("rm takes IMAGE NAME...");
  ops::OpenedImage r;
  if (const int status = Read(p.operands[0], p, r); status != 0) return status;
  std::vector<std::pair<std::string, Step>> steps;
  for (std::size_t k = 1; k < p.operands.size(); ++k) {
    const std::string name = p.operands[k];
    steps.emplace_back("delete " + name,
                       [=](const Filesystem& on) { return ops::DeleteFile(on, name); });
  }
  return Change(p.operands[0], ops::FilesystemToChange(r.disk), steps, !p.Has("--no-backup"));
}

int RenameCommand(const cli::Parsed& p) {
  if (p.operands.size() != 3) return UsageError("rename takes IMAGE OLD NEW");
  ops::OpenedImage r;
  if (const int status = Read(p.operands[0], p, r); status != 0) return status;
  const std::shared_ptr<const Filesystem> fs = ops::FilesystemToChange(r.disk);
  const std::string old = p.operands[1], to = fs->ListedName(p.operands[2]);
  if (to.empty()) {
    std::cerr << "trivane-disk: " << Escaped(p.operands[2]) << ": not a DOS name ("
              << fs->NameRule() << ")\n";
    return 1;
  }
  return Change(p.operands[0], fs,
                {{"rename " + old + " to " + to,
                  [=](const Filesystem& on) { return ops::RenameFile(on, old, to); }}},
                !p.Has("--no-backup"));
}

}  // namespace trivane::disktool
