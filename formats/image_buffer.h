// The loaded image, and the one way to read it. An image of N bytes covers
// offsets 0 to N - 1; every other offset, negative or past the end, reads as
// 0, as the byte just past the end of a loaded file always has. No code reads
// the image's bytes by any other route.
//
// The buffer holds its bytes in one of three ways: owned (an image built or
// read whole), viewed (bytes kept alive by their owner), or read on demand
// from a source such as an open file: the first bytes at once, the rest a
// page at a time when first asked for. A source that gives fewer bytes than
// asked for has ended there (a file shrunk by another program while it was
// read): the bytes it did not give read as 0, and it is not asked again past
// that point. Reading never copies the buffer; copies share their bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace trivane {

using Offset = std::int64_t;

// Where the bytes of an on-demand buffer come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to size bytes at offset into `into`; returns how many it read,
  // fewer (or 0) at the end of the source or when the source fails.
  virtual std::size_t ReadAt(Offset offset, std::uint8_t* into, std::size_t size) = 0;
};

class ImageBuffer {
 public:
  static constexpr std::size_t kPageBytes = 4096;

  ImageBuffer() = default;
  explicit ImageBuffer(std::vector<std::uint8_t> bytes);
  // Views size bytes at data; keep_alive holds whatever owns them.
  ImageBuffer(const std::uint8_t* data, std::size_t size, std::shared_ptr<const void> keep_alive)
      : keep_alive_(std::move(keep_alive)),
        data_(data),
        size_(static_cast<Offset>(size)),
        resident_(size_) {}
  // An image of size bytes read from the source: its first head bytes now,
  // the rest on demand. A head that covers the whole image reads it whole;
  // a source that ends within the head ends the image there.
  ImageBuffer(Offset size, std::unique_ptr<ByteSource> source, std::size_t head);

  // The image's length in bytes.
  Offset size() const { return size_; }

  // Copies size bytes from offset into `into`, each as at() reads it.
  void Read(Offset offset, std::uint8_t* into, std::size_t size) const;

  // The image begins with these bytes (a container's signature).
  bool StartsWith(std::string_view magic) const;

  std::uint8_t at(Offset offset) const {
    if (offset >= 0 && offset < resident_) return data_[offset];
    return offset >= resident_ && offset < size_ ? Paged(offset) : std::uint8_t{0};
  }

 private:
  struct OnDemand;
  std::uint8_t Paged(Offset offset) const;

  std::shared_ptr<const void> keep_alive_;
  std::shared_ptr<OnDemand> on_demand_;
  const std::uint8_t* data_ = nullptr;
  Offset size_ = 0;
  Offset resident_ = 0;  // the bytes from offset 0 held at data_
};

}  // namespace trivane
