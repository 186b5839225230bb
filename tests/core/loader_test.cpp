// Loading image files: bytes read on demand, and files that change under the
// reader.
#include <filesystem>
#include <random>

#include "loader/image_file.h"
#include "test_support.h"

namespace trivane::test {
namespace {

namespace fs = std::filesystem;

// A source of size bytes (byte n is n % 251) that gives only `gives` of them,
// and counts the reads it was asked for.
class ShortSource : public ByteSource {
 public:
  ShortSource(Offset gives, int& reads) : gives_(gives), reads_(reads) {}
  std::size_t ReadAt(Offset offset, std::uint8_t* into, std::size_t size) override {
    ++reads_;
    std::size_t n = 0;
    for (; n < size && offset + static_cast<Offset>(n) < gives_; ++n) {
      into[n] = static_cast<std::uint8_t>((offset + n) % 251);
    }
    return n;
  }

 private:
  Offset gives_;
  int& reads_;
};

TEST(Loader, BytesPastAShortReadAreZeroAndNotAskedForAgain) {
  int reads = 0;
  const ImageBuffer image(100000, std::make_unique<ShortSource>(50000, reads), 16384);
  EXPECT_EQ(reads, 1);
  for (Offset at : {16383, 40000, 40001, 49999}) EXPECT_EQ(image.at(at), at % 251) << at;
  EXPECT_EQ(reads, 3);  // one page for 40000 and 40001; 49999's page is short
  for (Offset at : {50000, 70000, 99999, 100000, -1}) EXPECT_EQ(image.at(at), 0) << at;
  EXPECT_EQ(reads, 3);
}

// A scan in order reads the pages after the head in runs of 16; a page
// reached out of order is read alone, and a run stops at a page held.
TEST(Loader, PagesReadInOrderComeInRuns) {
  int reads = 0;
  const ImageBuffer image(200000, std::make_unique<ShortSource>(200000, reads), 16384);
  EXPECT_EQ(image.at(100000), 100000 % 251);  // page 24, alone
  EXPECT_EQ(reads, 2);
  for (Offset at = 16384; at < 200000; ++at) ASSERT_EQ(image.at(at), at % 251) << at;
  // Pages 4 to 19, 20 to 23 (24 is held), then 25 to 40 and 41 to 48.
  EXPECT_EQ(reads, 6);
}

// A read of a run gives each byte as at() does: zeros before the image, the
// head, the rest from the source, zeros past where the source ended.
TEST(Loader, ReadOfARunGivesEachByteAsAtDoes) {
  int reads = 0;
  const ImageBuffer image(100000, std::make_unique<ShortSource>(50000, reads), 16384);
  const ImageBuffer owned(Bytes(300, 7));
  for (const auto& [from, size] : std::vector<std::pair<Offset, std::size_t>>{
           {-10, 20}, {-30, 10}, {16000, 1000}, {49990, 50100}, {99990, 20}, {200000, 5}}) {
    std::vector<std::uint8_t> got(size, 0xAA), small(size, 0xAA);
    image.Read(from, got.data(), size);
    owned.Read(from, small.data(), size);
    for (std::size_t k = 0; k < size; ++k) {
      ASSERT_EQ(got[k], image.at(from + static_cast<Offset>(k))) << from << "+" << k;
      ASSERT_EQ(small[k], owned.at(from + static_cast<Offset>(k))) << from << "+" << k;
    }
  }
}

// Another program truncates the image after it was opened: what could be read
// is identified, and nothing faults.
TEST(Loader, FileTruncatedWhileOpenIsIdentifiedFromWhatRemains) {
  const fs::path path = fs::temp_directory_path() /
                        ("trivane-shrink-" + std::to_string(std::random_device{}()) + ".dmk");
  const Bytes dmk = build::Dmk(dmk::kDoubleTrack, 80, 2, 18);
  ASSERT_TRUE(build::WriteFile(path, dmk));
  LoadedImage loaded = OpenImageFile(path);
  ASSERT_TRUE(loaded.ok()) << loaded.error;
  fs::resize_file(path, 20000);

  {
    Session s;
    s.record.filebuf = std::move(loaded.buffer);
    IdentifyImage(s.record, s.window);
    EXPECT_EQ(s.record.fileend, static_cast<Offset>(dmk.size()));
    EXPECT_EQ(s.record.filebuf.at(19999), dmk[19999]);
#ifdef _WIN32
    // Windows reads an image whole when it opens it: it stays as it was then.
    EXPECT_EQ(s.record.filebuf.at(500000), dmk[500000]);
#else
    EXPECT_EQ(s.record.filebuf.at(500000), 0);
#endif
    EXPECT_EQ(s.window.field(Field::Text12).text, "DMK");
  }
  fs::remove(path);
}

}  // namespace
}  // namespace trivane::test
