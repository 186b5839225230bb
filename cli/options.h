// One reading of a command line for both tools: each command declares its
// options, and everything else is an operand. "--" ends the options; "--help"
// and "-h" ask for the command's help; an option not declared, or one that
// takes a value and is the last word, is a usage error said in one text.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace trivane::cli {

struct Option {
  const char* name;  // "--json", "-o"
  bool takes_value = false;
};

struct Parsed {
  std::vector<std::string> operands;
  bool help = false;
  std::string error;  // empty when the line was understood

  bool Has(const std::string& name) const;
  // The value given with the option (the last, when it came more than once).
  std::optional<std::string> Value(const std::string& name) const;

  std::vector<std::pair<std::string, std::string>> given;  // name, value ("" for a flag)
};

Parsed ParseOptions(const std::vector<std::string>& args, const std::vector<Option>& options);

}  // namespace trivane::cli
