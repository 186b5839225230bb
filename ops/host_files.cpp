#include "ops/host_files.h"

#include <cctype>
#include <cerrno>
#include <fstream>
#include <set>

#include "formats/text.h"
#include "host/atomic_file.h"

namespace trivane::ops {

namespace fs = std::filesystem;

std::vector<std::string> HostNames(const std::vector<filesystems::Entry>& chosen) {
  std::vector<std::string> wanted;
  for (const filesystems::Entry& f : chosen)
    wanted.push_back((f.deleted ? "deleted/" : "") + f.host_name);
  return HostNames(wanted);
}

std::vector<std::string> HostNames(const std::vector<std::string>& wanted) {
  std::vector<std::string> names;
  std::set<std::string> taken;  // upper case: host folders may ignore letter case
  for (const std::string& base : wanted) {
    const auto dot = base.find('.');
    std::string name = base;
    for (int n = 2; !taken.insert(UpperAscii(name)).second; ++n) {
      name = base.substr(0, dot) + "-" + std::to_string(n) +
             (dot == std::string::npos ? "" : base.substr(dot));
    }
    names.push_back(name);
  }
  return names;
}

WriteFailure WriteHostFile(const fs::path& path, const std::vector<std::uint8_t>& bytes,
                           bool replace) {
  using Step = host::WriteResult::Step;
  const host::WriteResult r = host::WriteAtomically(path, bytes, {replace, false});
  switch (r.step) {
    case Step::kDone:
      return {};
    case Step::kExists:
      return {"it exists already"};
    case Step::kNotPlain:
      return {"it is not a plain file"};
    case Step::kReadBack:
      return {"it did not read back as written"};
    default:
      return {r.code.message(), r.FolderWide()};
  }
}

}  // namespace trivane::ops
