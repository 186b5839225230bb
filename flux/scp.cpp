// SCP files read into each track's flux and written from it (flux.h).
#include <algorithm>
#include <string>

#include "flux/flux.h"

namespace trivane::flux {
namespace {

constexpr Offset kRevolutionsAt = 5, kFlagsAt = 8, kWidthAt = 9, kHeadsAt = 10, kResolutionAt = 11,
                 kChecksumAt = 12, kTableAt = 16;
constexpr int kTracks = 168, kEntryBytes = 12;
constexpr Offset kTrackHeader = 4;  // "TRK" and the number
constexpr std::uint8_t kFlagIndex = 0x01;
constexpr double kTickNs = 25;

std::uint32_t Le32(const ImageBuffer& b, Offset at) {
  return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 |
         static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) out[at + static_cast<std::size_t>(k)] = (v >> (8 * k)) & 0xFF;
}

// One revolution's values appended to the track's flux; false when they
// lie past the file's end.
bool ReadRevolution(const ImageBuffer& image, Offset track, int r, FluxTrack& flux) {
  const Offset entry = track + kTrackHeader + r * kEntryBytes;
  const Offset count = Le32(image, entry + 4), from = track + Le32(image, entry + 8);
  if (from + 2 * count > image.size()) return false;
  flux.index.push_back(flux.intervals.size());
  std::vector<std::uint8_t> values(static_cast<std::size_t>(2 * count));
  image.Read(from, values.data(), values.size());
  std::size_t n = flux.intervals.size();
  flux.intervals.resize(n + static_cast<std::size_t>(count));
  std::uint32_t overflow = 0;
  for (std::size_t k = 0; k < values.size(); k += 2) {
    const std::uint32_t v = std::uint32_t{values[k]} << 8 | values[k + 1];
    if (v == 0) {
      overflow += 0x10000;
    } else {
      flux.intervals[n++] = v + overflow;
      overflow = 0;
    }
  }
  flux.intervals.resize(n);
  return true;
}

}  // namespace

bool IsScp(const ImageBuffer& image) {
  return image.StartsWith("SCP") && image.size() >= kTableAt + kTracks * 4;
}

std::vector<std::string> ReadScp(const ImageBuffer& image,
                                 const std::function<void(const ScpTrack&)>& each) {
  std::vector<std::string> findings;
  const int revolutions = image.at(kRevolutionsAt), heads = image.at(kHeadsAt);
  if (image.at(kWidthAt) != 0 && image.at(kWidthAt) != 16)
    findings.push_back("cells of " + std::to_string(image.at(kWidthAt)) + " bits are not read");
  const double tick = kTickNs * (image.at(kResolutionAt) + 1);
  for (int n = 0; n < kTracks; ++n) {
    const Offset track = Le32(image, kTableAt + 4 * n);
    if (track == 0) continue;
    if (image.at(track) != 'T' || image.at(track + 1) != 'R' || image.at(track + 2) != 'K') {
      findings.push_back("track " + std::to_string(n) + ": no track header at its offset");
      continue;
    }
    ScpTrack t;
    t.cylinder = heads == 0 ? n / 2 : n;
    t.head = heads == 0 ? n % 2 : heads == 2 ? 1 : 0;
    t.flux.tick_ns = tick;
    t.at = track;
    for (int r = 0; r < revolutions; ++r) {
      if (ReadRevolution(image, track, r, t.flux)) continue;
      t.flux.findings.push_back("revolution " + std::to_string(r + 1) +
                                " lies past the file's end");
      break;
    }
    if (!t.flux.index.empty()) t.flux.index.push_back(t.flux.intervals.size());
    each(t);
  }
  return findings;
}

namespace {

// A track's block: its header, its revolutions' entries and their values.
std::vector<std::uint8_t> TrackBlock(const ScpTrack& t, int number, int revolutions) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(kTrackHeader + revolutions * kEntryBytes));
  out[0] = 'T', out[1] = 'R', out[2] = 'K', out[3] = static_cast<std::uint8_t>(number);
  const double scale = t.flux.tick_ns / kTickNs;
  for (int r = 0; r < revolutions; ++r) {
    const std::size_t from =
        r < t.flux.revolutions() ? t.flux.index[static_cast<std::size_t>(r)] : 0;
    const std::size_t to =
        r < t.flux.revolutions() ? t.flux.index[static_cast<std::size_t>(r) + 1] : 0;
    const std::size_t start = out.size();
    std::uint32_t time = 0;
    for (std::size_t k = from; k < to && k < t.flux.intervals.size(); ++k) {
      std::uint32_t v = static_cast<std::uint32_t>(t.flux.intervals[k] * scale + 0.5);
      time += v;
      for (; v >= 0x10000; v -= 0x10000) out.insert(out.end(), {0, 0});
      if (v == 0) v = 1;
      out.insert(out.end(),
                 {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v & 0xFF)});
    }
    const std::size_t entry = static_cast<std::size_t>(kTrackHeader + r * kEntryBytes);
    PutLe32(out, entry, time);
    PutLe32(out, entry + 4, static_cast<std::uint32_t>((out.size() - start) / 2));
    PutLe32(out, entry + 8, static_cast<std::uint32_t>(start));
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> WriteScp(const std::vector<ScpTrack>& tracks) {
  const int revolutions = tracks.empty() ? 1 : std::max(1, tracks.front().flux.revolutions());
  std::vector<std::uint8_t> out(static_cast<std::size_t>(kTableAt + kTracks * 4), 0);
  out[0] = 'S', out[1] = 'C', out[2] = 'P', out[3] = 0x22;  // version 2.2
  out[kRevolutionsAt] = static_cast<std::uint8_t>(revolutions);
  int first = kTracks, last = 0;
  for (const ScpTrack& t : tracks) {
    const int n = t.cylinder * 2 + t.head;
    if (n < 0 || n >= kTracks) continue;
    first = std::min(first, n), last = std::max(last, n);
    PutLe32(out, static_cast<std::size_t>(kTableAt + 4 * n),
            static_cast<std::uint32_t>(out.size()));
    const std::vector<std::uint8_t> block = TrackBlock(t, n, revolutions);
    out.insert(out.end(), block.begin(), block.end());
  }
  out[6] = static_cast<std::uint8_t>(first == kTracks ? 0 : first);
  out[7] = static_cast<std::uint8_t>(last);
  out[kFlagsAt] = kFlagIndex;
  std::uint32_t sum = 0;
  for (std::size_t k = kTableAt; k < out.size(); ++k) sum += out[k];
  PutLe32(out, kChecksumAt, sum);
  return out;
}

}  // namespace trivane::flux
