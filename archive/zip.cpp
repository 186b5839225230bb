// Reading zip archives (zip.h). Every field is read through the image
// buffer, its offset checked against the archive's size first.
#include "archive/zip.h"

#include <zlib.h>

#include <algorithm>

namespace trivane::archive {
namespace {

constexpr std::uint32_t kLocal = 0x04034B50, kCentral = 0x02014B50, kEnd = 0x06054B50;
constexpr Offset kEndSize = 22, kCentralSize = 46, kLocalSize = 30, kMostComment = 0xFFFF;

std::uint32_t Le(const ImageBuffer& b, Offset at, int bytes) {
  std::uint32_t v = 0;
  for (int k = bytes - 1; k >= 0; --k) v = v << 8 | b.at(at + k);
  return v;
}

// The end record's offset, searching back over a comment; -1 for none.
Offset FindEnd(const ImageBuffer& zip) {
  if (zip.size() < kEndSize) return -1;
  const Offset last = zip.size() - kEndSize;
  const Offset first = std::max<Offset>(0, last - kMostComment);
  for (Offset at = last; at >= first; --at) {
    if (Le(zip, at, 4) == kEnd && at + kEndSize + Le(zip, at + 20, 2) == zip.size()) return at;
  }
  return -1;
}

// One central directory entry at `at`; its length, or 0 when it is not one.
Offset ReadEntry(const ImageBuffer& zip, Offset at, ZipMember& m) {
  if (at + kCentralSize > zip.size() || Le(zip, at, 4) != kCentral) return 0;
  const Offset name = Le(zip, at + 28, 2), extra = Le(zip, at + 30, 2),
               comment = Le(zip, at + 32, 2);
  if (at + kCentralSize + name + extra + comment > zip.size()) return 0;
  m.encrypted = (Le(zip, at + 8, 2) & 1) != 0;
  m.method = static_cast<int>(Le(zip, at + 10, 2));
  m.crc32 = Le(zip, at + 16, 4);
  m.packed = Le(zip, at + 20, 4);
  m.size = Le(zip, at + 24, 4);
  m.local = Le(zip, at + 42, 4);
  m.name.resize(static_cast<std::size_t>(name));
  zip.Read(at + kCentralSize, reinterpret_cast<std::uint8_t*>(m.name.data()), m.name.size());
  return kCentralSize + name + extra + comment;
}

std::string Inflate(const std::vector<std::uint8_t>& packed, std::vector<std::uint8_t>& out) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return "cannot inflate";
  z.next_in = const_cast<Bytef*>(packed.data());
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int done = inflate(&z, Z_FINISH);
  const bool whole = done == Z_STREAM_END && z.total_out == out.size();
  inflateEnd(&z);
  if (whole) return "";
  return done == Z_DATA_ERROR ? "its deflated data are damaged" : "its deflated data are cut short";
}

}  // namespace

bool IsZip(std::span<const std::uint8_t> head) {
  if (head.size() < 4) return false;
  const std::uint32_t magic = static_cast<std::uint32_t>(head[0] | head[1] << 8 | head[2] << 16) |
                              static_cast<std::uint32_t>(head[3]) << 24;
  return magic == kLocal || magic == kEnd;
}

ZipDirectory ReadZipDirectory(const ImageBuffer& zip) {
  ZipDirectory d;
  const Offset end = FindEnd(zip);
  if (end < 0) {
    d.error = "the archive is cut short: its directory's end record is missing";
    return d;
  }
  const Offset count = Le(zip, end + 10, 2), size = Le(zip, end + 12, 4), at = Le(zip, end + 16, 4);
  if (count == 0xFFFF || at == 0xFFFFFFFF) {
    d.error = "a zip64 archive, which this version does not read";
    return d;
  }
  if (at + size > end) {
    d.error = "the archive's directory lies outside it (cut short?)";
    return d;
  }
  Offset next = at;
  for (Offset k = 0; k < count; ++k) {
    ZipMember m;
    const Offset length = ReadEntry(zip, next, m);
    if (length == 0) {
      d.error = "the archive's directory is damaged at entry " + std::to_string(k + 1);
      d.members.clear();
      return d;
    }
    next += length;
    d.members.push_back(std::move(m));
  }
  return d;
}

ZipData ReadZipMember(const ImageBuffer& zip, const ZipMember& m, std::uint64_t most) {
  ZipData r;
  if (m.encrypted) return {{}, "encrypted, which this version does not read"};
  if (m.method != 0 && m.method != 8)
    return {{},
            "packed by method " + std::to_string(m.method) + ", which this version does not read"};
  if (m.size > most) return {{}, "larger than any image (" + std::to_string(m.size) + " bytes)"};
  if (m.local + kLocalSize > zip.size() || Le(zip, m.local, 4) != kLocal)
    return {{}, "its local header is missing (the archive is damaged)"};
  const Offset data = m.local + kLocalSize + Le(zip, m.local + 26, 2) + Le(zip, m.local + 28, 2);
  if (data + static_cast<Offset>(m.packed) > zip.size()) return {{}, "cut short"};
  std::vector<std::uint8_t> packed(static_cast<std::size_t>(m.packed));
  zip.Read(data, packed.data(), packed.size());
  if (m.method == 0) {
    if (m.packed != m.size) return {{}, "stored, but its sizes differ (the archive is damaged)"};
    r.bytes = std::move(packed);
  } else {
    r.bytes.resize(static_cast<std::size_t>(m.size));
    if (std::string why = Inflate(packed, r.bytes); !why.empty()) return {{}, why};
  }
  const auto crc =
      static_cast<std::uint32_t>(crc32(0, r.bytes.data(), static_cast<uInt>(r.bytes.size())));
  if (crc != m.crc32) return {{}, "CRC error: its bytes are not those the archive stored"};
  return r;
}

}  // namespace trivane::archive
