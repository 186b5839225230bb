#include "host/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace trivane::host {
namespace {

namespace fs = std::filesystem;
using Step = WriteResult::Step;

// The system's reason for a stream that failed; the stream keeps none.
std::error_code LastError() {
  return {errno != 0 ? errno : EIO, std::generic_category()};
}

fs::path FreePartName(const fs::path& path) {
  std::error_code ec;
  fs::path part = path;
  part += ".part";
  for (int n = 2; fs::exists(fs::symlink_status(part, ec)); ++n) {
    part = path;
    part += ".part" + std::to_string(n);
  }
  return part;
}

// Writes and flushes the bytes, then compares them a piece at a time (an
// image is never held twice).
WriteResult WriteAndCompare(const fs::path& part, std::span<const std::uint8_t> bytes) {
  {
    errno = 0;
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    if (!out) return {Step::kWrite, LastError()};
  }
  std::ifstream in(part, std::ios::binary);
  std::vector<char> piece(64 * 1024);
  std::size_t at = 0;
  while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
    const auto n = static_cast<std::size_t>(in.gcount());
    if (at + n > bytes.size() || std::memcmp(piece.data(), bytes.data() + at, n) != 0) break;
    at += n;
  }
  if (at != bytes.size() || !in.eof()) return {Step::kReadBack, {}};
  return {};
}

// The file there now, copied to PATH.bak by the same rules.
WriteResult Backup(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  if (!in.eof() && in.fail()) return {Step::kBackup, LastError()};
  fs::path bak = path;
  bak += ".bak";
  const WriteResult written = WriteAtomically(bak, bytes, {true, false});
  return written.ok() ? written : WriteResult{Step::kBackup, written.code};
}

}  // namespace

bool WriteResult::FolderWide() const {
  using std::errc;
  return code == errc::no_space_on_device || code == errc::read_only_file_system ||
         code == errc::permission_denied || code == errc::operation_not_permitted ||
         code == errc::not_a_directory || code == errc::no_such_file_or_directory ||
         code == errc::file_too_large;
}

WriteResult WriteAtomically(const fs::path& path, std::span<const std::uint8_t> bytes,
                            WriteRules rules) {
  std::error_code ec;
  const bool there = fs::exists(fs::symlink_status(path, ec));
  if (there && !rules.replace) return {Step::kExists, {}};
  if (there && !fs::is_regular_file(path, ec)) return {Step::kNotPlain, {}};
  const fs::path part = FreePartName(path);
  WriteResult result = WriteAndCompare(part, bytes);
  if (result.ok() && there && rules.backup) result = Backup(path);
  // Another program may have made the file meanwhile.
  if (result.ok() && !rules.replace && fs::exists(fs::symlink_status(path, ec))) {
    result = {Step::kExists, {}};
  }
#ifdef _WIN32
  if (result.ok() && fs::exists(path, ec)) fs::remove(path, ec);
#endif
  if (result.ok()) fs::rename(part, path, ec);
  if (result.ok() && ec) result = {Step::kPlace, ec};
  if (!result.ok()) fs::remove(part, ec);
  return result;
}

}  // namespace trivane::host
