// The file chooser's rules, the same in every front end: the file patterns
// of the option buttons, the join of a folder and a name, and what a folder
// lists. Names are UTF-8; the file system's own names are kept beside them
// for opening.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace trivane::present {

// Directory and file name with exactly one separator between them; none is
// added after a root, whose path already ends in one.
std::string JoinPath(const std::string& dir, const std::string& name, char separator);

// True when the name matches one of the ";"-separated wildcard patterns, in
// any letter case (of the ASCII letters). "*" is any run of characters, "?"
// any one; "*.*" matches every name, with or without a dot.
bool MatchesPattern(const std::string& name, const std::string& patterns);

// What a directory holds, sorted by name in any letter case; error is set
// when it cannot be read. names are for showing (a name that is not valid
// in the platform's encoding shows a replacement character); entries are
// the file system's own names, one for each of names, for opening.
struct Listing {
  std::vector<std::string> names;
  std::vector<std::filesystem::path> entries;
  std::string error;
};
Listing ListFiles(const std::filesystem::path& dir, const std::string& patterns);
Listing ListSubdirectories(const std::filesystem::path& dir);

}  // namespace trivane::present
