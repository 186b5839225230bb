// FM and MFM cells: the marks with their missing clocks, and a round trip
// of every track of every built image and every real JV1, JV3 and DMK
// disk: its sectors laid on cells as a controller writes the track, then
// read off them again, the same (ID, density, mark, CRC states, data).
#include "cells/cells.h"

#include <filesystem>
#include <fstream>

#include "builder/samples.h"
#include "disk/container.h"
#include "disk/track_writers.h"
#include "formats/crc16.h"
#include "test_support.h"

namespace trivane::test {
namespace {

namespace fs = std::filesystem;
using cells::Encoding;

std::uint16_t First16(const cells::Cells& c) {
  std::uint16_t v = 0;
  for (std::size_t i = 0; i < 16; ++i) v = static_cast<std::uint16_t>(v << 1 | c.At(i));
  return v;
}

std::uint16_t Encoded(std::uint8_t byte, Encoding e, bool mark) {
  cells::Encoder enc;
  mark ? enc.Mark(byte, e) : enc.Byte(byte, e);
  return First16(enc.cells());
}

TEST(Cells, MarksAndBytes) {
  EXPECT_EQ(Encoded(0xA1, Encoding::kMfm, true), 0x4489);
  EXPECT_EQ(Encoded(0xC2, Encoding::kMfm, true), 0x5224);
  EXPECT_EQ(Encoded(0xA1, Encoding::kMfm, false), 0x44A9);
  EXPECT_EQ(Encoded(0x00, Encoding::kMfm, false), 0xAAAA);  // after a 0 bit
  EXPECT_EQ(Encoded(0xFE, Encoding::kFm, true), 0xF57E);    // clock C7
  EXPECT_EQ(Encoded(0xFC, Encoding::kFm, true), 0xF77A);    // clock D7
  EXPECT_EQ(Encoded(0x00, Encoding::kFm, false), 0xAAAA);   // clock FF
  // Sixteen cells put after cells that fill no whole byte.
  cells::Cells odd;
  odd.Push(true);
  odd.Push16(0x8001);
  EXPECT_EQ(odd.size(), 17u);
  EXPECT_EQ(odd.packed(), (std::vector<std::uint8_t>{0xC0, 0x00, 0x80}));
}

// The sectors of one track compared with what the cells give back; twice:
// FM at twice its rate, read by the decoder of both rates.
int CompareTrack(const disk::Disk& d, int cylinder, int head, const std::string& what, bool twice) {
  std::vector<const disk::Sector*> want;
  for (const disk::Sector& s : d.sectors) {
    if (s.cylinder == cylinder && s.head == head) want.push_back(&s);
  }
  const cells::Cells on = disk::TrackCellsOf(d, cylinder, head, 0, twice);
  const std::vector<cells::Field> got = twice ? cells::DecodeBothRates(on) : cells::Decode(on);
  EXPECT_EQ(got.size(), want.size()) << what << " cylinder " << cylinder << " head " << head;
  for (std::size_t k = 0; k < std::min(got.size(), want.size()); ++k) {
    const disk::Sector& s = *want[k];
    const cells::Field& f = got[k];
    const std::string at = what + " " + std::to_string(cylinder) + "/" + std::to_string(head) +
                           " sector " + std::to_string(k);
    EXPECT_EQ(f.encoding == Encoding::kMfm, s.density == disk::Density::kDouble) << at;
    EXPECT_EQ(std::tie(f.cylinder, f.head, f.sector, f.size_code),
              std::tie(s.id_cylinder, s.id_head, s.id_sector, s.size_code))
        << at;
    EXPECT_EQ(f.id_crc_ok, s.id_crc != disk::Check::kBad) << at;
    EXPECT_EQ(f.dam, s.has_data() ? s.dam : 0) << at;
    if (!s.has_data()) continue;
    EXPECT_EQ(f.data, disk::SectorData(d, s)) << at;
    EXPECT_EQ(f.data_crc_ok, disk::DataCrc(d, s) != disk::Check::kBad) << at;
  }
  return static_cast<int>(want.size());
}

int RoundTrip(const disk::Disk& d, const std::string& what) {
  int sectors = 0;
  for (int c = 0; c < d.cylinders; ++c) {
    for (int h = 0; h < std::max(d.heads, 1); ++h) {
      sectors += CompareTrack(d, c, h, what, false);
      CompareTrack(d, c, h, what + " (FM at twice its rate)", true);
    }
  }
  return sectors;
}

TEST(Cells, EveryBuiltImageRoundTrips) {
  int sectors = 0, images = 0;
  for (const auto& list : {build::Samples(), build::Seeds()}) {
    for (const build::Sample& s : list) {
      const disk::Disk d = disk::ReadDisk(ImageBuffer(s.bytes));
      if (!d.error.empty()) continue;
      sectors += RoundTrip(d, s.name);
      ++images;
    }
  }
  EXPECT_GT(images, 30);
  EXPECT_GT(sectors, 10000);
  std::printf("cells round trip: %d built images, %d sectors\n", images, sectors);
}

// A track turned so that the field runs over the index, or its ID mark
// ends in the first cells, is read whole, round the track.
TEST(Cells, AFieldAcrossTheIndex) {
  disk::TrackField f;
  f.size_code = 1;
  f.data.assign(256, 0x5A);
  const cells::Cells c = disk::TrackCells({f}, disk::ControllerLayout());
  const std::size_t id_end = (32 + 12 + 3 + 1) * 16;  // gap 1, sync, A1s, the mark
  // A track whose length is no whole number of bytes (three or seven cells
  // more in its last gap) gives the same fields.
  // Every phase of the cells against the bytes they are packed in.
  std::vector<std::size_t> shifts = {c.size() - 200 * 16, id_end - 40, id_end - 62};
  for (std::size_t k = 1; k < 32; ++k) shifts.push_back(k);
  // The sync or the mark ending in each of the last cells, or in the first.
  for (std::size_t k = id_end - 24; k < id_end + 4; ++k) shifts.push_back(k);
  for (std::size_t odd : {0, 3, 7}) {
    cells::Cells track = c;
    for (std::size_t k = 0; k < odd; ++k) track.Push(k % 2 == 0);
    for (std::size_t shift : shifts) {
      cells::Cells turned;
      for (std::size_t i = 0; i < track.size(); ++i) {
        turned.Push(track.At((i + shift) % track.size()));
      }
      // Both decoders: the second looks for MFM at fewer places.
      for (const auto& got : {cells::Decode(turned), cells::DecodeBothRates(turned)}) {
        ASSERT_EQ(got.size(), 1u) << shift << " " << odd;
        EXPECT_TRUE(got[0].id_crc_ok);
        EXPECT_TRUE(got[0].data_crc_ok) << shift;
        EXPECT_EQ(got[0].data, f.data);
      }
    }
  }
  // The index within the data field's last bytes, at every cell, on a
  // track of a whole number of bytes and on one three cells longer: each
  // byte read round the track, never from the cells that pad the last byte.
  for (std::size_t odd : {0, 3}) {
    cells::Cells track = c;
    for (std::size_t k = 0; k < odd; ++k) track.Push(k % 2 == 0);
    for (std::size_t shift = id_end + 290 * 16; shift < id_end + 310 * 16; ++shift) {
      cells::Cells turned;
      for (std::size_t i = 0; i < track.size(); ++i) {
        turned.Push(track.At((i + shift) % track.size()));
      }
      const std::vector<cells::Field> got = cells::Decode(turned);
      ASSERT_EQ(got.size(), 1u) << shift;
      EXPECT_TRUE(got[0].data_crc_ok) << shift << " " << odd;
    }
  }
  // FM at twice its rate, at every phase of its cells against the bytes and
  // of its pairs against the cells.
  f.double_density = false;
  const cells::Cells fm = disk::TrackCells({f}, disk::ControllerLayout(), 0, true);
  for (std::size_t shift = 0; shift < 64; ++shift) {
    cells::Cells turned;
    for (std::size_t i = 0; i < fm.size(); ++i) turned.Push(fm.At((i + shift) % fm.size()));
    const std::vector<cells::Field> got = cells::DecodeBothRates(turned);
    ASSERT_EQ(got.size(), 1u) << shift;
    EXPECT_EQ(got[0].encoding, Encoding::kFm);
    EXPECT_TRUE(got[0].data_crc_ok) << shift;
  }
}

// Noise on an unformatted track gives no field; an FM ID is not given the
// data field of another encoding that follows it.
TEST(Cells, NoiseAndMixedEncodings) {
  cells::Cells noise;
  std::uint32_t x = 1986;
  for (int i = 0; i < 1000000; ++i) {
    x = x * 1103515245 + 12345;
    noise.Push((x >> 16) & 1);
  }
  EXPECT_TRUE(cells::Decode(noise).empty());
  cells::Encoder e;
  for (int k = 0; k < 6; ++k) e.Byte(0x00, Encoding::kFm);
  e.Mark(0xFE, Encoding::kFm);
  const std::uint8_t id[4] = {0, 0, 1, 0};
  std::uint16_t crc = crc16::Add(crc16::kPreset, 0xFE);
  for (std::uint8_t b : id) {
    e.Byte(b, Encoding::kFm);
    crc = crc16::Add(crc, b);
  }
  e.Byte(static_cast<std::uint8_t>(crc >> 8), Encoding::kFm);
  e.Byte(static_cast<std::uint8_t>(crc), Encoding::kFm);
  for (int k = 0; k < 12; ++k) e.Byte(0x00, Encoding::kMfm);
  for (int k = 0; k < 3; ++k) e.Mark(0xA1, Encoding::kMfm);
  e.Byte(0xFB, Encoding::kMfm);
  for (int k = 0; k < 130; ++k) e.Byte(0x4E, Encoding::kMfm);
  for (int k = 0; k < 300; ++k) e.Byte(0xFF, Encoding::kFm);
  const std::vector<cells::Field> got = cells::Decode(e.cells());
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(got[0].id_crc_ok);
  EXPECT_EQ(got[0].dam, 0);
}

TEST(Cells, EveryRealDiskRoundTrips) {
  const fs::path disks = TRIVANE_REAL_DISKS;
  if (!fs::exists(disks / "README.md")) GTEST_SKIP() << disks << " is not there";
  int sectors = 0, images = 0;
  for (const auto& e : fs::directory_iterator(disks)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    const disk::Disk d = disk::ReadDisk(ImageBuffer(bytes));
    // The hard disk's sectors lie on no floppy's track.
    if (!d.error.empty() || d.sectors.empty() || d.container == disk::Container::kReed) continue;
    sectors += RoundTrip(d, e.path().filename().string());
    ++images;
  }
  EXPECT_EQ(images, 31);
  std::printf("cells round trip: %d real images, %d sectors\n", images, sectors);
}

}  // namespace
}  // namespace trivane::test
