// Damaged images by the thousand: truncated, with single bytes changed, with
// any track number. None may crash, read outside the image (the sanitizer
// build sees to that) or break what a shown result promises.
#include "builder/samples.h"
#include "test_support.h"

namespace trivane::test {
namespace {

// The result is a refusal, a silent end or a summary of a known container.
void ExpectSound(const Bytes& image, const std::string& what) {
  const Session s = Identified(image);
  const RecordingWindow& w = s.window;
  const std::string& type = w.text(Field::Text12);
  const bool sound = w.messages().size() <= 1 &&
                     (type.empty() || ((type == "JV1" || type == "JV3" || type == "DMK") &&
                                       w.text(Field::Text1).ends_with(" Track")));
  ASSERT_TRUE(sound) << what << "\n" << Dump(image);
}

Bytes Seed(const std::string& name) {
  for (const auto& seed : build::Seeds()) {
    if (seed.name == name) return seed.bytes;
  }
  ADD_FAILURE() << "no seed " << name;
  return {};
}

TEST(Damage, EveryTruncation) {
  for (const char* name :
       {"dmk-dsdd", "dmk-newdos80", "jv3-newdos80", "jv3-dsdd", "jv1-newdos80"}) {
    const Bytes whole = Seed(name);
    const std::size_t last = std::min<std::size_t>(whole.size(), 2 * 6400 + 16 + 1);
    for (std::size_t n = 0; n <= last; ++n) {
      ExpectSound(Bytes(whole.begin(), whole.begin() + n),
                  std::string(name) + " cut to " + std::to_string(n));
    }
  }
}

TEST(Damage, EveryByteOfDmkHeaderPointersAndIdFields) {
  for (const char* name : {"dmk-dsdd", "dmk-sssd", "dmk-newdos80"}) {
    const Bytes whole = Seed(name);
    const int trklength = whole[2] + 256 * whole[3];
    const build::DmkImage layout(trklength);
    std::vector<Offset> offsets;
    for (Offset at = 0; at < 16 + 128; ++at) offsets.push_back(at);
    for (int n = 0; n < 18; ++n) {
      for (int k = 0; k < 7; ++k) offsets.push_back(16 + layout.IdOffset(n) + k);
    }
    for (Offset at : offsets) {
      for (int value : {0x00, 0x01, 0x02, 0x7F, 0x80, 0xF8, 0xFE, 0xFF}) {
        Bytes image = whole;
        image[at] = static_cast<std::uint8_t>(value);
        ExpectSound(image, std::string(name) + " with byte " + std::to_string(at) + " = " +
                               std::to_string(value));
      }
    }
  }
}

TEST(Damage, Jv3TrackNumbersUpTo254) {
  for (int track = 0; track <= 254; ++track) {
    auto entries = build::Jv3Disk(2, 2, 10, false);
    for (std::size_t n = 3; n < entries.size(); n += 7) entries[n].track = track;
    ExpectSound(build::Jv3(entries), "track " + std::to_string(track));
    std::vector<build::Jv3Entry> all(30, {track, 2, 0});
    ExpectSound(build::Jv3(all), "every entry on track " + std::to_string(track));
  }
}

}  // namespace
}  // namespace trivane::test
