// A window's changes to its image file, the same in every front end: files
// put, deleted and renamed as the disk's DOS does (each proved by
// ops/prove.h), the image written beside itself and renamed over it,
// Undo back to the image as it was before the first change; and "Save as",
// the disk in another container, proved before it is kept. Each says in
// one line what came of it; the front end asks the questions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "disk/container.h"
#include "disk/disk.h"
#include "fs/filesystem.h"

namespace trivane::present {

// Why the image, read as the filesystem (none when the file could not be
// read), may not be changed here; empty when it may. An image inside a zip
// archive (or the archive itself) is never changed.
std::string WhyReadOnly(const disk::Disk& disk, const filesystems::Filesystem* fs,
                        bool file_writable, const std::filesystem::path& file);

struct Questions {
  // A yes or no to the question.
  std::function<bool(const std::string& question)> confirm;
  // A name asked for with the name suggested; empty: cancelled.
  std::function<std::string(const std::string& question, const std::string& suggested)> ask_name;
};

struct HostFile {
  std::filesystem::path path;
  std::string name;  // its file name, UTF-8
};

class ImageChanges {
 public:
  explicit ImageChanges(std::filesystem::path file) : file_(std::move(file)) {}

  // Each change is made on the window's filesystem, and each after the first
  // on the one its proof read back. Each returns true when the image file
  // was written (or may have been), so that the window reads it anew;
  // text() says what came of it.
  bool Put(const filesystems::Filesystem& fs, const std::vector<HostFile>& files,
           const std::string& date, const Questions& ask);
  bool Delete(const filesystems::Filesystem& fs, const std::vector<std::string>& names,
              const Questions& ask);
  bool Rename(const filesystems::Filesystem& fs, const std::string& old, const Questions& ask);
  bool Undo();
  bool can_undo() const { return !original_.empty(); }
  const std::string& text() const { return text_; }

 private:
  bool Keep(const filesystems::Changed& change, const std::string& what);
  std::filesystem::path file_;
  std::vector<std::uint8_t> original_;  // the image before the first change; empty: none
  std::string text_;
};

// Writes the disk as the container into out (never over the image itself);
// what the container cannot hold is shown to accept first. Returns the line
// that says what came of it.
std::string SaveAs(const disk::Disk& disk, const std::filesystem::path& image,
                   const std::filesystem::path& out, disk::Container to,
                   const std::function<bool(const std::vector<std::string>&)>& accept_losses);
// The question over the losses: the first 12 lines, and how many more.
std::string LossesQuestion(const std::vector<std::string>& lines);

}  // namespace trivane::present
