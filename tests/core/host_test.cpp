// The one atomic writer: a file beside the path, read back, renamed into
// place; never over a file unless asked, never over the user's own
// PATH.part, the original kept as PATH.bak when asked, nothing left behind
// on a failure.
#include <filesystem>
#include <fstream>

#include "host/atomic_file.h"
#include "test_support.h"

namespace trivane::test {
namespace {

namespace fs = std::filesystem;
using host::WriteAtomically;
using Step = host::WriteResult::Step;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

class HostWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("trivane-host-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::size_t Files() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }
  fs::path dir_;
};

TEST_F(HostWrite, NewReplacedAndKept) {
  const fs::path p = dir_ / "a.dsk";
  ASSERT_TRUE(WriteAtomically(p, Bytes("one"), {}).ok());
  EXPECT_EQ(Read(p), "one");
  EXPECT_EQ(WriteAtomically(p, Bytes("two"), {}).step, Step::kExists);
  EXPECT_EQ(Read(p), "one");
  ASSERT_TRUE(WriteAtomically(p, Bytes("two"), {true, true}).ok());
  EXPECT_EQ(Read(p), "two");
  EXPECT_EQ(Read(dir_ / "a.dsk.bak"), "one");
  ASSERT_TRUE(WriteAtomically(p, Bytes("three"), {true, false}).ok());
  EXPECT_EQ(Read(dir_ / "a.dsk.bak"), "one");
  ASSERT_TRUE(WriteAtomically(p, Bytes("four"), {true, true}).ok());
  EXPECT_EQ(Read(dir_ / "a.dsk.bak"), "three");
  EXPECT_EQ(Files(), 2u);
}

// The user's own a.dsk.part survives a write of a.dsk.
TEST_F(HostWrite, NeverOverTheUsersPartFile) {
  Write(dir_ / "a.dsk.part", "mine");
  ASSERT_TRUE(WriteAtomically(dir_ / "a.dsk", Bytes("new"), {}).ok());
  EXPECT_EQ(Read(dir_ / "a.dsk.part"), "mine");
  EXPECT_EQ(Read(dir_ / "a.dsk"), "new");
  EXPECT_EQ(Files(), 2u);
}

// The original that cannot be kept: the image as it was, nothing beside.
TEST_F(HostWrite, ABackupThatCannotBeKept) {
  Write(dir_ / "a.dsk", "old");
  fs::create_directory(dir_ / "a.dsk.bak");
  EXPECT_EQ(WriteAtomically(dir_ / "a.dsk", Bytes("new"), {true, true}).step, Step::kBackup);
  EXPECT_EQ(Read(dir_ / "a.dsk"), "old");
  EXPECT_EQ(Files(), 2u);
}

// A folder in the way, a folder that is not there: refused, nothing left.
TEST_F(HostWrite, FailuresLeaveNothingBehind) {
  fs::create_directory(dir_ / "d");
  EXPECT_EQ(WriteAtomically(dir_ / "d", Bytes("x"), {true, false}).step, Step::kNotPlain);
  const host::WriteResult r = WriteAtomically(dir_ / "gone" / "a", Bytes("x"), {});
  EXPECT_EQ(r.step, Step::kWrite);
  EXPECT_TRUE(r.FolderWide());
  EXPECT_EQ(Files(), 1u);
}

}  // namespace
}  // namespace trivane::test
