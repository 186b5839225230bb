// Zip archives built in code (zip_images.h).
#include "builder/zip_images.h"

#include <zlib.h>

namespace trivane::build {
namespace {

void Le(Bytes& out, std::uint32_t v, int bytes) {
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

Bytes Deflated(const Bytes& bytes) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, static_cast<uLong>(bytes.size())));
  z.next_in = const_cast<Bytef*>(bytes.data());
  z.avail_in = static_cast<uInt>(bytes.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// The fields a local header and a central entry share, from "version
// needed" to the name's length.
void Common(Bytes& out, const ZipEntry& e, std::uint32_t crc, std::size_t packed) {
  Le(out, 20, 2);
  Le(out, 0, 2);
  Le(out, e.deflate ? 8 : 0, 2);
  Le(out, 0, 4);  // time and date
  Le(out, crc, 4);
  Le(out, static_cast<std::uint32_t>(packed), 4);
  Le(out, static_cast<std::uint32_t>(e.bytes.size()), 4);
  Le(out, static_cast<std::uint32_t>(e.name.size()), 2);
  Le(out, 0, 2);  // extra field
}

}  // namespace

Bytes Zip(const std::vector<ZipEntry>& entries, const std::string& comment) {
  Bytes out, central;
  for (const ZipEntry& e : entries) {
    const auto crc =
        static_cast<std::uint32_t>(crc32(0, e.bytes.data(), static_cast<uInt>(e.bytes.size())));
    const Bytes data = e.deflate ? Deflated(e.bytes) : e.bytes;
    const auto local = static_cast<std::uint32_t>(out.size());
    Le(out, 0x04034B50, 4);
    Common(out, e, crc, data.size());
    out.insert(out.end(), e.name.begin(), e.name.end());
    out.insert(out.end(), data.begin(), data.end());
    Le(central, 0x02014B50, 4);
    Le(central, 20, 2);  // made by
    Common(central, e, crc, data.size());
    Le(central, 0, 2);  // comment
    Le(central, 0, 4);  // disk, internal attributes
    Le(central, 0, 4);  // external attributes
    Le(central, local, 4);
    central.insert(central.end(), e.name.begin(), e.name.end());
  }
  const auto at = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());
  Le(out, 0x06054B50, 4);
  Le(out, 0, 4);
  Le(out, static_cast<std::uint32_t>(entries.size()), 2);
  Le(out, static_cast<std::uint32_t>(entries.size()), 2);
  Le(out, static_cast<std::uint32_t>(central.size()), 4);
  Le(out, at, 4);
  Le(out, static_cast<std::uint32_t>(comment.size()), 2);
  out.insert(out.end(), comment.begin(), comment.end());
  return out;
}

}  // namespace trivane::build
