#include "present/changes.h"

#include <fstream>
#include <iterator>

#include "disk/container.h"
#include "formats/text.h"
#include "loader/image_file.h"
#include "ops/archives.h"
#include "ops/convert.h"
#include "ops/filesystems.h"
#include "ops/prove.h"
#include "present/new_disk.h"

namespace trivane::present {
namespace {

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

std::string WhyReadOnly(const disk::Disk& disk, const filesystems::Filesystem* fs,
                        bool file_writable, const std::filesystem::path& file) {
  if (fs == nullptr) return "This image could not be read: nothing here changes it.";
  if (ops::InArchive(file)) return "This image is inside a zip archive: nothing here changes it.";
  if (disk.write_protected) return "This image is write-protected: nothing here changes it.";
  if (!file_writable) return "This image is read-only: nothing here changes it.";
  return fs->WhyNotChangeable();
}

bool ImageChanges::Keep(const filesystems::Changed& change, const std::string& what) {
  if (!change.error.empty()) {
    text_ = what + ": not done, " + change.error;
    return false;
  }
  if (original_.empty()) {
    const LoadedImage now = ReadImageFile(file_, disk::MostImageBytes());
    original_.resize(static_cast<std::size_t>(now.buffer.size()));
    now.buffer.Read(0, original_.data(), original_.size());
  }
  const std::string error = SaveImageFile(file_, change.bytes, true);
  text_ =
      error.empty() ? what + ": written, read back and verified" : what + ": not written, " + error;
  return true;
}

bool ImageChanges::Put(const filesystems::Filesystem& first, const std::vector<HostFile>& files,
                       const std::string& date, const Questions& ask) {
  filesystems::Changed now;
  std::vector<std::string> put;
  for (const HostFile& file : files) {
    const filesystems::Filesystem* fs = now.filesystem ? now.filesystem.get() : &first;
    std::string shown = fs->ListedName(file.name);
    while (shown.empty()) {
      const std::string text =
          ask.ask_name(file.name + " needs a DOS name (" + fs->NameForm() + "):", "");
      if (text.empty()) return false;
      shown = fs->ListedName(text);
    }
    const bool there = fs->Find(shown, false).has_value();
    if (there && !ask.confirm(shown + " is on the disk already. Replace it?")) continue;
    filesystems::Changed next = ops::PutFile(*fs, shown, FileBytes(file.path), there, date);
    if (!next.error.empty()) return Keep(next, "Put " + shown);
    now = std::move(next);
    put.push_back(shown);
  }
  return !put.empty() && Keep(now, "Put " + Joined(put, ", "));
}

bool ImageChanges::Delete(const filesystems::Filesystem& first,
                          const std::vector<std::string>& names, const Questions& ask) {
  if (names.empty() || !ask.confirm("Delete " + Joined(names, ", ") + " from the disk?"))
    return false;
  filesystems::Changed now;
  for (const std::string& name : names) {
    filesystems::Changed next = ops::DeleteFile(now.filesystem ? *now.filesystem : first, name);
    if (!next.error.empty()) return Keep(next, "Delete " + name);
    now = std::move(next);
  }
  return Keep(now, "Deleted " + Joined(names, ", "));
}

bool ImageChanges::Rename(const filesystems::Filesystem& fs, const std::string& old,
                          const Questions& ask) {
  const std::string text = ask.ask_name("Rename " + old + " to (" + fs.NameForm() + "):", old);
  if (text.empty() || text == old) return false;
  const std::string to = fs.ListedName(text);
  if (to.empty()) {
    text_ = text + " is not a DOS name (" + fs.NameRule() + ")";
    return false;
  }
  return Keep(ops::RenameFile(fs, old, to), "Renamed " + old);
}

bool ImageChanges::Undo() {
  if (original_.empty()) return false;
  const std::string error = SaveImageFile(file_, original_, true);
  text_ = error.empty() ? "Undone: the image is as it was" : "Not undone: " + error;
  if (error.empty()) original_.clear();
  return true;
}

std::string SaveAs(const disk::Disk& disk, const std::filesystem::path& image,
                   const std::filesystem::path& out, disk::Container to,
                   const std::function<bool(const std::vector<std::string>&)>& accept_losses) {
  std::error_code ec;
  if (std::filesystem::equivalent(out, image, ec))
    return "Not saved: the image itself is never written over";
  ops::Proved proved = ops::Convert(disk, to, {}, false);
  if (!proved.losses.empty()) {
    if (!accept_losses(proved.losses)) return "Not saved";
    proved = ops::Convert(disk, to, {}, true);
  }
  const std::string error =
      proved.error.empty() ? SaveImageFile(out, proved.bytes, true) : proved.error;
  if (!error.empty()) return "Not saved: " + error;
  return "Saved as " + Utf8Of(out.filename()) + " (" + disk::ContainerName(to) +
         "), read back and verified";
}

std::string LossesQuestion(const std::vector<std::string>& lines) {
  std::string text = "The container cannot hold all of the disk. Not kept:\n";
  for (std::size_t k = 0; k < lines.size() && k < 12; ++k) text += "\n" + lines[k];
  if (lines.size() > 12) text += "\n... and " + std::to_string(lines.size() - 12) + " more";
  return text;
}

}  // namespace trivane::present
