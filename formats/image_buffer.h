// The loaded image, and the one way to read it. An image of N bytes covers
// offsets 0 to N - 1; every other offset, negative or past the end, reads as
// 0, as the byte just past the end of a loaded file always has. No code reads
// the image's bytes by any other route.
//
// The buffer either owns its bytes (a file read whole) or views bytes kept
// alive by its owner (a mapped file); reading never copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace trivane {

using Offset = std::int64_t;

class ImageBuffer {
 public:
  ImageBuffer() = default;
  explicit ImageBuffer(std::vector<std::uint8_t> bytes)
      : owned_(std::make_shared<std::vector<std::uint8_t>>(std::move(bytes))),
        data_(owned_->data()),
        size_(static_cast<Offset>(owned_->size())) {}
  // Views size bytes at data; keep_alive holds whatever owns them.
  ImageBuffer(const std::uint8_t* data, std::size_t size, std::shared_ptr<const void> keep_alive)
      : keep_alive_(std::move(keep_alive)), data_(data), size_(static_cast<Offset>(size)) {}

  // The image's length in bytes.
  Offset size() const { return size_; }

  std::uint8_t at(Offset offset) const {
    return offset >= 0 && offset < size_ ? data_[offset] : std::uint8_t{0};
  }

 private:
  std::shared_ptr<std::vector<std::uint8_t>> owned_;
  std::shared_ptr<const void> keep_alive_;
  const std::uint8_t* data_ = nullptr;
  Offset size_ = 0;
};

}  // namespace trivane
