#include "present/file_chooser.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "formats/text.h"

namespace trivane::present {
namespace fs = std::filesystem;
namespace {

char Folded(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchWildcard(const std::string& name, std::size_t n, const std::string& pattern,
                   std::size_t p) {
  for (; p < pattern.size(); ++p, ++n) {
    if (pattern[p] == '*') {
      for (std::size_t rest = n; rest <= name.size(); ++rest) {
        if (MatchWildcard(name, rest, pattern, p + 1)) return true;
      }
      return false;
    }
    if (n >= name.size()) return false;
    if (pattern[p] == '?') {
      // One character: a UTF-8 sequence's continuation bytes go with it.
      while (n + 1 < name.size() && (static_cast<unsigned char>(name[n + 1]) & 0xC0) == 0x80) ++n;
    } else if (Folded(pattern[p]) != Folded(name[n])) {
      return false;
    }
  }
  return n == name.size();
}

bool ByName(const std::string& a, const std::string& b) {
  const auto folded = [](const std::string& s) {
    std::string f = s;
    std::transform(f.begin(), f.end(), f.begin(), Folded);
    return f;
  };
  const std::string fa = folded(a), fb = folded(b);
  return fa != fb ? fa < fb : a < b;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Lists the entries of dir that pass keep, sorted by the names shown.
template <typename Keep>
Listing ListEntries(const fs::path& dir, Keep keep) {
  std::vector<std::pair<std::string, fs::path>> found;
  Listing listing;
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    if (keep(*it)) found.emplace_back(Utf8Of(it->path().filename()), it->path().filename());
  }
  if (ec) listing.error = ec.message();
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return ByName(a.first, b.first); });
  for (auto& [name, entry] : found) {
    listing.names.push_back(name);
    listing.entries.push_back(std::move(entry));
  }
  return listing;
}

}  // namespace

std::string JoinPath(const std::string& dir, const std::string& name, char separator) {
  return !dir.empty() && dir.back() == separator ? dir + name : dir + separator + name;
}

bool MatchesPattern(const std::string& name, const std::string& patterns) {
  std::size_t start = 0;
  while (start <= patterns.size()) {
    const std::size_t end = std::min(patterns.find(';', start), patterns.size());
    const std::string p = Trimmed(patterns.substr(start, end - start));
    if (!p.empty() && (p == "*.*" || MatchWildcard(name, 0, p, 0))) return true;
    start = end + 1;
  }
  return false;
}

Listing ListFiles(const fs::path& dir, const std::string& patterns) {
  return ListEntries(dir, [&](const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_regular_file(ec) && MatchesPattern(Utf8Of(e.path().filename()), patterns);
  });
}

Listing ListSubdirectories(const fs::path& dir) {
  return ListEntries(dir, [](const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_directory(ec);
  });
}

}  // namespace trivane::present
