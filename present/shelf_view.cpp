#include "present/shelf_view.h"

#include <set>

namespace trivane::present {
namespace {

ShelfRow RowOf(const shelf::Hit& h) {
  return {{h.image, h.drive ? std::to_string(*h.drive) : "", h.name, std::to_string(h.size)},
          h.image};
}

std::string KindText(const shelf::Group& g) {
  if (g.kind == "disk") return "the same disk";
  if (g.kind == "files") return "the same files";
  if (g.kind == "similar") return "nearly the same";
  return g.name + " (" + g.sha256.substr(0, 12) + ")";
}

}  // namespace

ShelfView::ShelfView(const std::filesystem::path& file) {
  catalogue_ = shelf::Catalogue::Open(file.empty() ? shelf::DefaultCatalogue() : file, error_);
}

std::string ShelfView::Index(const std::filesystem::path& folder,
                             const std::function<void(std::size_t, std::size_t)>& progress) {
  if (!catalogue_) return error_;
  const shelf::IndexReport r = catalogue_->Index({folder}, progress);
  std::string text = shelf::Summary(r);
  for (const std::string& problem : r.problems) text += "\n" + problem;
  return text;
}

std::vector<ShelfRow> ShelfView::Search(const std::string& text) {
  std::vector<ShelfRow> rows;
  if (!catalogue_ || text.empty()) return rows;
  const bool pattern = text.find_first_of("*?") != std::string::npos;
  std::set<std::tuple<std::string, std::string, std::string>> seen;
  const auto each = [&](const shelf::Hit& h) {
    ShelfRow row = RowOf(h);
    if (seen.insert({row.cells[0], row.cells[1], row.cells[2]}).second) rows.push_back(row);
    return true;
  };
  catalogue_->FindNames(pattern ? text : "*" + text + "*", each);
  catalogue_->FindText(text, each);
  return rows;
}

std::vector<ShelfRow> ShelfView::Duplicates() {
  std::vector<ShelfRow> rows;
  if (!catalogue_) return rows;
  catalogue_->Dupes(0.9, [&rows](const shelf::Group& g) {
    std::string images;
    for (const std::string& image : g.images) images += (images.empty() ? "" : ", ") + image;
    rows.push_back({{KindText(g), images}, g.images.front()});
    return true;
  });
  return rows;
}

}  // namespace trivane::present
