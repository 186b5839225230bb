// What `trivane-disk sectors` writes for one image: a block of text lines or
// one JSON object.
#pragma once

#include <functional>
#include <string>

#include "disk/disk.h"
#include "ops/open.h"

namespace trivane::disktool {

// Per track a line of its sectors, then the image's summary and problems.
std::string SectorsText(const ops::OpenedImage& r);
// Per track each sector's id and the revolutions of a flux dump it read
// good on; one line saying so for a disk not read from flux.
std::string RevolutionsText(const disk::Disk& d);
// Appends one JSON object: {"file", "container", "cylinders", "heads",
// "sectors": [...], "summary"}, or {"file", "error"}; with data, each
// sector's bytes in hex. Given flush, out is handed to it whenever it holds
// kFlushBytes, so that a large image's listing is never held whole; flush
// returns false to stop.
using Flush = std::function<bool(const std::string&)>;
inline constexpr std::size_t kFlushBytes = 64 * 1024;
void AppendSectorsJson(std::string& out, const ops::OpenedImage& r, bool data,
                       const Flush& flush = {});

// The classic hex dump: offset (from base), 16 bytes in hex, the same as text.
std::string HexDump(const std::uint8_t* bytes, std::size_t size, Offset base);

}  // namespace trivane::disktool
