#include "formats/image_buffer.h"

#include <algorithm>
#include <memory>

namespace trivane {

struct ImageBuffer::OnDemand {
  std::unique_ptr<ByteSource> source;
  Offset source_end = 0;  // nothing is read at or past it
  // Not zeroed first: every byte is read over or past the image's end.
  std::unique_ptr<std::uint8_t[]> head;
  // Where each page's bytes are once read (null before), in the run of
  // pages read with it.
  std::vector<const std::uint8_t*> pages;
  std::vector<std::unique_ptr<std::uint8_t[]>> runs;

  // Pages read in one go once the image is being read in order.
  static constexpr std::size_t kRunPages = 16;

  // Reads the page; when the page before it is held (the image is read in
  // order, as a scan of its tracks reads it), the pages after it not yet
  // held too, up to kRunPages in all, in one read of the source.
  void Fill(std::size_t index, Offset resident, Offset size);

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

void ImageBuffer::OnDemand::Fill(std::size_t index, Offset resident, Offset size) {
  std::size_t count = 1;
  const Offset start = static_cast<Offset>(index * kPageBytes);
  if (start - static_cast<Offset>(kPageBytes) < resident || pages[index - 1]) {
    while (count < kRunPages && index + count < pages.size() && !pages[index + count]) ++count;
  }
  auto run = std::make_unique_for_overwrite<std::uint8_t[]>(count * kPageBytes);
  const std::size_t got =
      Read(start, run.get(),
           static_cast<std::size_t>(std::min<Offset>(count * kPageBytes, size - start)));
  std::fill(run.get() + got, run.get() + count * kPageBytes, std::uint8_t{0});
  for (std::size_t k = 0; k < count; ++k) pages[index + k] = run.get() + k * kPageBytes;
  runs.push_back(std::move(run));
}

std::uint8_t ImageBuffer::Paged(Offset offset) const {
  OnDemand& d = *on_demand_;
  const auto index = static_cast<std::size_t>(offset / kPageBytes);
  if (!d.pages[index]) d.Fill(index, resident_, size_);
  return d.pages[index][static_cast<std::size_t>(offset % static_cast<Offset>(kPageBytes))];
}

bool ImageBuffer::StartsWith(std::string_view magic) const {
  if (size_ < static_cast<Offset>(magic.size())) return false;
  for (std::size_t k = 0; k < magic.size(); ++k) {
    if (at(static_cast<Offset>(k)) != static_cast<std::uint8_t>(magic[k])) return false;
  }
  return true;
}

void ImageBuffer::Read(Offset offset, std::uint8_t* into, std::size_t size) const {
  const Offset end = offset + static_cast<Offset>(size);
  Offset at = std::min<Offset>(std::max<Offset>(offset, 0), end);  // bytes before it read as 0
  std::fill(into, into + (at - offset), std::uint8_t{0});
  // The part in memory is copied; the part past it, up to the image's end,
  // comes straight from the source in one read; what is past that reads as 0.
  if (const Offset to = std::min(end, resident_); at < to) {
    std::copy(data_ + at, data_ + to, into + (at - offset));
    at = to;
  }
  if (const Offset to = std::min(end, size_); on_demand_ && at < to) {
    at += static_cast<Offset>(
        on_demand_->Read(at, into + (at - offset), static_cast<std::size_t>(to - at)));
  }
  std::fill(into + (at - offset), into + size, std::uint8_t{0});
}

}  // namespace trivane
