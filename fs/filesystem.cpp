#include "fs/filesystem.h"

#include <algorithm>
#include <cctype>

namespace trivane::filesystems {

Value Value::Bool(bool b) {
  Value v;
  v.kind = Kind::kBool;
  v.flag = b;
  return v;
}

Value Value::Number(std::int64_t n) {
  Value v;
  v.kind = Kind::kNumber;
  v.number = n;
  return v;
}

Value Value::Text(std::string s) {
  Value v;
  v.kind = Kind::kText;
  v.text = std::move(s);
  return v;
}

Value Value::TextOrNull(std::string s) {
  return s.empty() ? Value{} : Text(std::move(s));
}

Value Value::List() {
  Value v;
  v.kind = Kind::kList;
  return v;
}

Value Value::Object() {
  Value v;
  v.kind = Kind::kObject;
  return v;
}

Value& Value::Add(std::string name, Value v) {
  names.push_back(std::move(name));
  items.push_back(std::move(v));
  return *this;
}

std::string CellOf(const Entry& entry, const std::string& key) {
  if (key == "name") return entry.name;
  if (key == "size") return std::to_string(entry.size);
  for (const Attribute& a : entry.attributes) {
    if (a.name == key) return a.value;
  }
  return "";
}

std::string HostPart(std::string part) {
  for (char& c : part) {
    if (!std::isalnum(static_cast<unsigned char>(c)) &&
        std::string("-_$#@!%&").find(c) == std::string::npos) {
      c = '_';
    }
  }
  return part.empty() ? std::string("_") : part;
}

std::vector<std::uint8_t> Filesystem::HostText(std::vector<std::uint8_t> bytes) const {
  for (std::uint8_t& b : bytes) {
    if (b == '\r') b = '\n';
  }
  return bytes;
}

std::string Filesystem::Name() const {
  const std::string version = Version();
  return version.empty() ? Family() : Family() + " " + version;
}

std::string WhyNotGiven(const Entry& entry, const FileBytes& bytes, bool force) {
  const std::int64_t size = entry.size;
  // Read without damage, but its directory gives it what is not its own (a
  // block of another file's, a repeated extent): its findings say so.
  if (bytes.whole()) return entry.complete || force ? "" : "its findings say it is not whole";
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

std::vector<std::uint8_t> CrLfText(std::vector<std::uint8_t> bytes) {
  bytes.erase(std::find(bytes.begin(), bytes.end(), 0x1A), bytes.end());
  std::vector<std::uint8_t> out;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    if (bytes[k] == '\r' && k + 1 < bytes.size() && bytes[k + 1] == '\n') continue;
    out.push_back(bytes[k] == '\r' ? '\n' : bytes[k]);
  }
  return out;
}

std::vector<std::string> FindingLines(const std::vector<Finding>& findings) {
  std::vector<std::string> lines;
  for (const Finding& f : findings) {
    lines.push_back(f.kind + (f.file.empty() ? "" : " " + f.file) + ": " + f.detail);
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
