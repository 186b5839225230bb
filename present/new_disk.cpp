#include "present/new_disk.h"

#include <cctype>
#include <ctime>

#include "dos/convert.h"
#include "loader/image_file.h"

namespace trivane::present {

std::string Today() {
  const std::time_t now = std::time(nullptr);
  char text[16] = "01/01/80";
  if (const std::tm* t = std::localtime(&now)) std::strftime(text, sizeof text, "%m/%d/%y", t);
  return text;
}

std::string SuffixOf(disk::Container container) {
  std::string suffix = disk::ContainerName(container);
  for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return suffix;
}

std::string MakeNewDisk(const dos::NewDiskRequest& request, const std::filesystem::path& file) {
  const dos::Proved proved = dos::NewImage(request, {});
  return proved.error.empty() ? SaveImageFile(file, proved.bytes, true) : proved.error;
}

}  // namespace trivane::present
