#include "loader/image_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#define TRIVANE_CAN_MAP 1
#endif

namespace trivane {
namespace {

// Checks what the path names before it is opened; empty when it is a plain
// file of a disk image's size.
std::string CheckFile(const std::filesystem::path& path, std::uintmax_t& size) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    return ec && ec != std::errc::no_such_file_or_directory
               ? "it cannot be reached: " + ec.message()
               : "the file does not exist";
  }
  if (std::filesystem::is_directory(status)) return "it is a directory, not a file";
  if (!std::filesystem::is_regular_file(status)) return "it is not a plain file";
  size = std::filesystem::file_size(path, ec);
  if (ec) return "its size cannot be read: " + ec.message();
  if (size > kMaxImageBytes) return "it is larger than 64 MiB, too large to be a disk image";
  return {};
}

}  // namespace

LoadedImage ReadImageFile(const std::filesystem::path& path) {
  std::uintmax_t size = 0;
  if (std::string reason = CheckFile(path, size); !reason.empty()) return {{}, reason};
  std::ifstream file(path, std::ios::binary);
  if (!file) return {{}, std::string("it cannot be opened: ") + std::strerror(errno)};
  std::vector<std::uint8_t> bytes(size);
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  if (file.gcount() != static_cast<std::streamsize>(size)) {
    return {{}, "it could not be read whole"};
  }
  return {ImageBuffer(std::move(bytes)), {}};
}

LoadedImage MapImageFile(const std::filesystem::path& path) {
#ifdef TRIVANE_CAN_MAP
  std::uintmax_t size = 0;
  if (std::string reason = CheckFile(path, size); !reason.empty()) return {{}, reason};
  if (size == 0) return {ImageBuffer(std::vector<std::uint8_t>{}), {}};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {{}, std::string("it cannot be opened: ") + std::strerror(errno)};
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (mapped == MAP_FAILED) return ReadImageFile(path);
  std::shared_ptr<const void> unmap(
      mapped, [size](const void* p) { ::munmap(const_cast<void*>(p), size); });
  return {ImageBuffer(static_cast<const std::uint8_t*>(mapped), size, std::move(unmap)), {}};
#else
  return ReadImageFile(path);
#endif
}

std::string ErrorPrompt(const std::string& what, const std::string& reason) {
  return "** ERROR **  " + what + "\r" + reason;
}

}  // namespace trivane
