#include "present/new_disk.h"

#include <ctime>
#include <sstream>

#include "disk/container.h"
#include "formats/text.h"
#include "loader/image_file.h"
#include "ops/convert.h"
#include "ops/filesystems.h"

namespace trivane::present {

std::string Today() {
  const std::time_t now = std::time(nullptr);
  char text[16] = "01/01/80";
  if (const std::tm* t = std::localtime(&now)) std::strftime(text, sizeof text, "%m/%d/%y", t);
  return text;
}

std::vector<filesystems::FormatChoice> NewDiskDoses() {
  return ops::FormatChoices();
}

std::vector<disk::Container> NewDiskContainers() {
  std::vector<disk::Container> out;
  for (const disk::ContainerFormat* f : disk::Offered()) out.push_back(f->kind);
  return out;
}

std::string SuffixOf(disk::Container container) {
  return std::string(disk::FormatOf(container).word);
}

std::vector<SaveChoice> SaveChoices() {
  std::vector<SaveChoice> out;
  for (const disk::ContainerFormat* f : disk::Offered()) {
    SaveChoice c{f->kind, std::string(f->name), {}};
    std::istringstream patterns{std::string(f->save_patterns)};
    for (std::string p; patterns >> p;) c.patterns.push_back(p);
    out.push_back(std::move(c));
  }
  return out;
}

std::string Joined(const std::vector<std::string>& parts, const std::string& separator) {
  return JoinedWords(parts, separator, separator);
}

std::string ChoiceLabel(const SaveChoice& choice, const std::string& separator) {
  return choice.name + " (" + Joined(choice.patterns, separator) + ")";
}

std::string MakeNewDisk(const filesystems::FormatRequest& request,
                        const std::filesystem::path& file) {
  const ops::Proved proved = ops::NewImage(ops::FormatNew(request), request.container, {});
  return proved.error.empty() ? SaveImageFile(file, proved.bytes, true) : proved.error;
}

}  // namespace trivane::present
