#include "cli/options.h"

#include <algorithm>

namespace trivane::cli {

bool Parsed::Has(const std::string& name) const {
  return std::any_of(given.begin(), given.end(), [&](const auto& g) { return g.first == name; });
}

std::optional<std::string> Parsed::Value(const std::string& name) const {
  for (auto it = given.rbegin(); it != given.rend(); ++it) {
    if (it->first == name) return it->second;
  }
  return std::nullopt;
}

Parsed ParseOptions(const std::vector<std::string>& args, const std::vector<Option>& options) {
  Parsed p;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options_done || a.size() < 2 || a[0] != '-') {
      p.operands.push_back(a);
      continue;
    }
    if (a == "--") {
      options_done = true;
    } else if (a == "--help" || a == "-h") {
      p.help = true;
    } else if (const auto o = std::find_if(options.begin(), options.end(),
                                           [&](const Option& o) { return a == o.name; });
               o == options.end()) {
      if (p.error.empty()) p.error = "unknown option " + a;
    } else if (!o->takes_value) {
      p.given.emplace_back(a, "");
    } else if (i + 1 == args.size()) {
      if (p.error.empty()) p.error = a + " takes a value";
    } else {
      p.given.emplace_back(a, args[++i]);
    }
  }
  return p;
}

}  // namespace trivane::cli
