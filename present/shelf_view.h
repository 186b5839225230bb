// The Shelf window, the same in every front end: the catalogue opened (the
// user's own unless told), a folder indexed with its progress, a search
// over file names and the words of text files and BASIC listings, its hits
// as rows of image, drive, file and size, and the duplicates as rows of
// what is alike and where.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shelf/catalogue.h"

namespace trivane::present {

inline constexpr char kShelfTitle[] = "Trivane shelf";
inline constexpr char kShelfItem[] = "Shelf...";
inline constexpr char kIndexButton[] = "Index folder...";
inline constexpr char kFindButton[] = "Find";
inline constexpr char kDupesButton[] = "Duplicates";
inline constexpr std::array<const char*, 4> kShelfColumns = {"Image", "Drive", "File", "Size"};
inline constexpr std::array<const char*, 2> kDupesColumns = {"Alike", "Images"};

struct ShelfRow {
  std::vector<std::string> cells;  // as the columns
  std::string image;               // the image a double-click opens
};

class ShelfView {
 public:
  // The catalogue at file (the default one when empty); why not in error.
  explicit ShelfView(const std::filesystem::path& file = {});
  const std::string& error() const { return error_; }
  // "read 3, unchanged 2, dropped 0", and a line for each problem.
  std::string Index(const std::filesystem::path& folder,
                    const std::function<void(std::size_t, std::size_t)>& progress);
  // Files whose names hold the text (or match it, with * or ?), then those
  // whose words do; each once.
  std::vector<ShelfRow> Search(const std::string& text);
  std::vector<ShelfRow> Duplicates();

 private:
  std::unique_ptr<shelf::Catalogue> catalogue_;
  std::string error_;
};

}  // namespace trivane::present
