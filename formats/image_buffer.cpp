#include "formats/image_buffer.h"

#include <algorithm>
#include <array>
#include <memory>

namespace trivane {

struct ImageBuffer::OnDemand {
  using Page = std::array<std::uint8_t, kPageBytes>;

  std::unique_ptr<ByteSource> source;
  Offset source_end = 0;  // nothing is read at or past it
  // Not zeroed first: every byte is read over or past the image's end.
  std::unique_ptr<std::uint8_t[]> head;
  std::vector<std::unique_ptr<Page>> pages;

  // Reads size bytes at offset into `into`, or fewer where the source ends;
  // how many.
  std::size_t Read(Offset offset, std::uint8_t* into, std::size_t size) {
    if (offset >= source_end) return 0;
    size = std::min<std::size_t>(size, static_cast<std::size_t>(source_end - offset));
    const std::size_t got = source->ReadAt(offset, into, size);
    if (got < size) source_end = offset + static_cast<Offset>(got);
    return got;
  }
};

ImageBuffer::ImageBuffer(std::vector<std::uint8_t> bytes) {
  auto owned = std::make_shared<std::vector<std::uint8_t>>(std::move(bytes));
  data_ = owned->data();
  size_ = resident_ = static_cast<Offset>(owned->size());
  keep_alive_ = std::move(owned);
}

ImageBuffer::ImageBuffer(Offset size, std::unique_ptr<ByteSource> source, std::size_t head)
    : on_demand_(std::make_shared<OnDemand>()), size_(std::max<Offset>(size, 0)) {
  OnDemand& d = *on_demand_;
  d.source = std::move(source);
  d.source_end = size_;
  const auto wanted = static_cast<std::size_t>(std::min<Offset>(size_, static_cast<Offset>(head)));
  d.head = std::make_unique_for_overwrite<std::uint8_t[]>(wanted);
  const std::size_t got = d.Read(0, d.head.get(), wanted);
  // A source that ends within the head ends the image there.
  if (got < wanted) size_ = static_cast<Offset>(got);
  d.pages.resize(static_cast<std::size_t>((size_ + kPageBytes - 1) / kPageBytes));
  data_ = d.head.get();
  resident_ = static_cast<Offset>(std::min(got, wanted));
  if (resident_ == size_) d.source.reset();  // read whole: nothing more to ask for
}

std::uint8_t ImageBuffer::Paged(Offset offset) const {
  OnDemand& d = *on_demand_;
  const auto index = static_cast<std::size_t>(offset / kPageBytes);
  auto& page = d.pages[index];
  const Offset start = static_cast<Offset>(index * kPageBytes);
  if (!page) {
    page = std::make_unique_for_overwrite<OnDemand::Page>();
    const std::size_t got = d.Read(
        start, page->data(), static_cast<std::size_t>(std::min<Offset>(kPageBytes, size_ - start)));
    std::fill(page->begin() + static_cast<std::ptrdiff_t>(got), page->end(), std::uint8_t{0});
  }
  return (*page)[static_cast<std::size_t>(offset - start)];
}

bool ImageBuffer::StartsWith(std::string_view magic) const {
  if (size_ < static_cast<Offset>(magic.size())) return false;
  for (std::size_t k = 0; k < magic.size(); ++k) {
    if (at(static_cast<Offset>(k)) != static_cast<std::uint8_t>(magic[k])) return false;
  }
  return true;
}

void ImageBuffer::Read(Offset offset, std::uint8_t* into, std::size_t size) const {
  std::fill_n(into, size, std::uint8_t{0});
  const Offset end = offset + static_cast<Offset>(size);
  // The part in memory is copied; the part past it, up to the image's end,
  // comes straight from the source in one read.
  const Offset from = std::max<Offset>(offset, 0), to = std::min(end, resident_);
  if (from < to) std::copy(data_ + from, data_ + to, into + (from - offset));
  const Offset rest = std::max(from, resident_), rest_end = std::min(end, size_);
  if (on_demand_ && rest < rest_end) {
    on_demand_->Read(rest, into + (rest - offset), static_cast<std::size_t>(rest_end - rest));
  }
}

}  // namespace trivane
