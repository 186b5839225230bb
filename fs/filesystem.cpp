#include "fs/filesystem.h"

namespace trivane::filesystems {

std::string WhyNotGiven(std::int64_t size, const FileBytes& bytes, bool force) {
  if (bytes.whole()) return {};
  if (bytes.bytes.empty() && size > 0) return "its extents hold none of its sectors";
  if (force) return {};
  std::string why;
  if (!bytes.unreadable.empty()) {
    why = std::to_string(bytes.unreadable.size()) + " of its sectors cannot be read:";
    for (const Damaged& d : bytes.unreadable) why += (why.back() == ':' ? " " : ", ") + d.place;
  }
  if (bytes.missing > 0) {
    why += (why.empty() ? "" : "; ") + std::string("its extents hold ") +
           std::to_string(bytes.bytes.size()) + " of its " + std::to_string(size) + " bytes";
  }
  return why;
}

std::vector<std::string> DamageLines(const FileBytes& bytes) {
  std::vector<std::string> lines;
  for (const Damaged& d : bytes.unreadable) {
    lines.push_back(d.place + (d.as_read ? ": given as read, it failed its CRC"
                                         : ": given as zeros, it has no data"));
  }
  if (bytes.missing > 0) {
    lines.push_back("the last " + std::to_string(bytes.missing) +
                    " bytes are not given: its extents do not hold them");
  }
  return lines;
}

Made Refused(const std::string& why) {
  Made made;
  made.error = why;
  return made;
}

std::string DiskRefusal(const disk::Disk& disk) {
  if (!disk.error.empty()) return disk.error;
  if (disk.write_protected) return "the image is write-protected";
  return "";
}

}  // namespace trivane::filesystems
