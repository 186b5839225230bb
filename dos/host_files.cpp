#include "dos/host_files.h"

#include <cctype>
#include <fstream>

namespace trivane::dos {

namespace fs = std::filesystem;

std::string HostName(const File& f) {
  auto safe = [](std::string part) {
    for (char& c : part) {
      if (!std::isalnum(static_cast<unsigned char>(c)) &&
          std::string("-_$#@!%&").find(c) == std::string::npos) {
        c = '_';
      }
    }
    return part.empty() ? std::string("_") : part;
  };
  return f.ext.empty() ? safe(f.name) : safe(f.name) + "." + safe(f.ext);
}

std::string WriteHostFile(const fs::path& path, const std::vector<std::uint8_t>& bytes,
                          bool replace) {
  std::error_code ec;
  if (!replace && fs::exists(fs::symlink_status(path, ec))) return "it exists already";
  const fs::path part = path.string() + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      out.close();
      fs::remove(part, ec);
      return "it cannot be written";
    }
  }
  if (!replace && fs::exists(fs::symlink_status(path, ec))) {
    fs::remove(part, ec);
    return "it exists already";
  }
  fs::rename(part, path, ec);
  if (ec) {
    fs::remove(part, ec);
    return "it cannot be written: " + ec.message();
  }
  return {};
}

}  // namespace trivane::dos
