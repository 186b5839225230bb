#include "loader/image_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "host/atomic_file.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define TRIVANE_POSIX_FILES 1
#else
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace trivane {
namespace {

constexpr std::size_t kHeadBytes = 16 * 1024;

#ifndef TRIVANE_POSIX_FILES
// Checks what the path names before it is opened, so that neither a FIFO nor
// a device is ever opened; empty when it is a plain file.
std::string CheckFile(const std::filesystem::path& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    return ec && ec != std::errc::no_such_file_or_directory
               ? "it cannot be reached: " + ec.message()
               : "the file does not exist";
  }
  if (std::filesystem::is_directory(status)) return "it is a directory, not a file";
  if (!std::filesystem::is_regular_file(status)) return "it is not a plain file";
  return {};
}
#endif

std::string CheckSize(std::uintmax_t size, std::uintmax_t most) {
  if (size <= most) return "";
  return most == kMaxImageBytes
             ? "it is larger than 64 MiB, too large to be a disk image"
             : "it is larger than " + std::to_string(most) + " bytes, too large to be a disk image";
}

#ifdef TRIVANE_POSIX_FILES
std::string OpenError() {
  return std::string("it cannot be opened: ") + std::strerror(errno);
}

class FileSource : public ByteSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  ~FileSource() override { ::close(fd_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::size_t ReadAt(Offset offset, std::uint8_t* into, std::size_t size) override {
    std::size_t got = 0;
    while (got < size) {
      const ssize_t n = ::pread(fd_, into + got, size - got, static_cast<off_t>(offset) + got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    return got;
  }

 private:
  int fd_;
};

// One stat for the kind of file and its size, so that neither a FIFO nor a
// device is ever opened; the open does not wait should the path have become
// a FIFO since.
LoadedImage OpenFile(const std::filesystem::path& path, std::uintmax_t most, std::size_t head) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {{}, "the file does not exist"};
    return {{}, "it cannot be reached: " + std::generic_category().message(errno)};
  }
  if (S_ISDIR(st.st_mode)) return {{}, "it is a directory, not a file"};
  if (!S_ISREG(st.st_mode)) return {{}, "it is not a plain file"};
  if (std::string reason = CheckSize(static_cast<std::uintmax_t>(st.st_size), most);
      !reason.empty()) {
    return {{}, reason};
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return {{}, OpenError()};
  return {ImageBuffer(static_cast<Offset>(st.st_size), std::make_unique<FileSource>(fd), head), {}};
}
#else
// Opened sharing reading, writing and deleting with everyone, and read whole
// at once so that the file is closed again: Windows lets no file that is
// open be replaced, and an image shown here must stay free to be renamed,
// deleted or replaced (by Trivane's own changes too, which rename the new
// image over it).
class FileSource : public ByteSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {}
  ~FileSource() override { CloseHandle(file_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::size_t ReadAt(Offset offset, std::uint8_t* into, std::size_t size) override {
    std::size_t got = 0;
    while (got < size) {
      OVERLAPPED at{};
      const auto from = static_cast<std::uint64_t>(offset) + got;
      at.Offset = static_cast<DWORD>(from);
      at.OffsetHigh = static_cast<DWORD>(from >> 32);
      DWORD n = 0;
      const auto want = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
      if (!ReadFile(file_, into + got, want, &n, &at) || n == 0) break;
      got += n;
    }
    return got;
  }

 private:
  HANDLE file_;
};

LoadedImage OpenFile(const std::filesystem::path& path, std::uintmax_t most,
                     std::size_t /*head: read whole*/) {
  if (std::string reason = CheckFile(path); !reason.empty()) return {{}, reason};
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return {{}, "its size cannot be read: " + ec.message()};
  if (std::string reason = CheckSize(size, most); !reason.empty()) return {{}, reason};
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return {
        {},
        "it cannot be opened: " + std::system_category().message(static_cast<int>(GetLastError()))};
  }
  return {ImageBuffer(static_cast<Offset>(size), std::make_unique<FileSource>(file),
                      static_cast<std::size_t>(most)),
          {}};
}
#endif

}  // namespace

LoadedImage OpenImageFile(const std::filesystem::path& path, std::uintmax_t most) {
  return OpenFile(path, most, kHeadBytes);
}

LoadedImage ReadImageFile(const std::filesystem::path& path, std::uintmax_t most) {
  return OpenFile(path, most, static_cast<std::size_t>(most));
}

LoadedImage LoadImageFile(const std::filesystem::path& path, std::uintmax_t most,
                          std::size_t at_once) {
  return OpenFile(path, most, at_once);
}

std::string SaveImageFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                          bool replace, bool backup) {
  using Step = host::WriteResult::Step;
  const host::WriteResult r = host::WriteAtomically(path, bytes, {replace, backup});
  switch (r.step) {
    case Step::kDone:
      return "";
    case Step::kExists:
      return "the file exists already";
    case Step::kNotPlain:
      return "it is not a plain file";
    case Step::kWrite:
      return "it cannot be written: " + r.code.message();
    case Step::kReadBack:
      return "it did not read back as written";
    case Step::kPlace:
      return "it cannot be put in place: " + r.code.message();
    case Step::kBackup:
      return "the original cannot be kept as .bak: " + r.code.message();
  }
  return "";
}

std::string ErrorPrompt(const std::string& what, const std::string& reason) {
  return "** ERROR **  " + what + "\r" + reason;
}

}  // namespace trivane
