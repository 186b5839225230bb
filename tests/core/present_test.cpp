// What both windows show, tested below them: the hex view's go-to and
// find, the sector picture's layout, the files table's sorting and the file
// chooser's patterns.
#include <algorithm>

#include "builder/dos_images.h"
#include "builder/samples.h"
#include "disk/container.h"
#include "fs/trsdos/catalogue.h"
#include "ops/filesystems.h"
#include "present/contents.h"
#include "present/file_chooser.h"
#include "present/hex_text.h"
#include "present/new_disk.h"
#include "present/sector_picture.h"
#include "test_support.h"

namespace trivane::test {
namespace {

using namespace present;

Shown Over(const std::string& bytes) {
  return {[bytes](std::int64_t at) { return static_cast<std::uint8_t>(bytes.at(at)); },
          static_cast<std::int64_t>(bytes.size())};
}

TEST(PresentHex, GoToTakesHexAndRefusesWhatIsNot) {
  const Shown s = Over(std::string(0x200, 'x'));
  EXPECT_EQ(GoTo(s, " 0x1a0 ").offset, 0x1A0);
  EXPECT_EQ(GoTo(s, "1A0").status, "at 0x1A0");
  EXPECT_EQ(GoTo(s, "200").status, "offset past the end (size 512, 0x200)");
  EXPECT_FALSE(GoTo(s, "0x").offset);
  EXPECT_EQ(GoTo(s, "12g").status, "not an offset in hex: 12g");
  EXPECT_FALSE(GoTo(s, "1234567890123456").offset);  // too long for any image
}

TEST(PresentHex, FindForwardBackwardAndCount) {
  const Shown s = Over("abcabcab");
  const std::vector<std::uint8_t> abc = NeedleOf("abc", false).bytes;
  EXPECT_EQ(FindNext(s, abc, {}, true), 0);
  EXPECT_EQ(FindNext(s, abc, {0, 3}, true), 3);
  EXPECT_EQ(FindNext(s, abc, {3, 6}, true), std::nullopt);
  EXPECT_EQ(FindNext(s, abc, {3, 6}, false), 0);
  EXPECT_EQ(FindNext(s, abc, {0, 3}, false), std::nullopt);
  EXPECT_EQ(MatchStatus(s, abc, {3, 6}), "match 2 of 2 at 0x3");
  EXPECT_EQ(FindNext(s, NeedleOf("62 63 61", true).bytes, {}, true), 1);
  EXPECT_EQ(NeedleOf("6", true).status, "not hex bytes: 6");
  EXPECT_TRUE(NeedleOf("zz", true).bytes.empty());
  EXPECT_EQ(FindNext(s, NeedleOf("abcabcabc", false).bytes, {}, true), std::nullopt);
  EXPECT_EQ(SelectedHex(s, {1, 3}), "62 63");
}

TEST(PresentHex, RowsAndColumns) {
  const Shown s = Over("0123456789ABCDEFG");
  EXPECT_EQ(HexRows(s), 2);
  EXPECT_EQ(HexRowText(s, 1).substr(0, 8), "00000010");
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(ByteAtColumn(s, 0, HexColumnOf(k)), k);
    EXPECT_EQ(ByteAtColumn(s, 0, TextColumnOf(k)), k);
  }
  EXPECT_EQ(ByteAtColumn(s, 1, HexColumnOf(1)), -1);  // past the end
}

// Every sector's cell is found again at its own place; the cells fill the
// space given and shrink no further than the least size.
TEST(PresentPicture, CellsFitAndAreFoundWhereDrawn) {
  const build::DosDisk d = build::NewdosDisk(2, 2, true, false);
  const disk::Disk disk = disk::ReadDisk(ImageBuffer(build::DosDmk(d, build::LayOut(d))));
  SectorPicture p(&disk);
  for (int width : {300, 900}) {
    p.Fit(width, 700);
    EXPECT_LE(p.SizeFor(p.cell()).height, 700);
    for (int i = 0; i < static_cast<int>(disk.sectors.size()); ++i) {
      const Box c = p.CellOf(i);
      ASSERT_EQ(p.SectorAt(c.left, c.top), i) << width;
      ASSERT_EQ(p.SectorAt(c.left + c.width - 1, c.top + c.height - 1), i);
    }
  }
  p.Fit(10, 10);
  EXPECT_EQ(p.cell(), SectorPicture::kMinCell);
  EXPECT_EQ(p.SectorAt(0, 0), -1);
}

// A CP/M disk's reserved cylinders and directory labelled; the labels
// between them thinned where rows are lower than the font.
TEST(PresentPicture, RowLabelsMarkTheSystemAndTheDirectory) {
  Bytes omikron;
  for (const build::Sample& s : build::Seeds()) {
    if (s.name == "cpm-omikron") omikron = s.bytes;
  }
  const disk::Disk disk = disk::ReadDisk(ImageBuffer(omikron));
  const auto fs = ops::OpenFilesystem(disk);
  ASSERT_NE(fs, nullptr);
  SectorPicture p(&disk);
  p.SetDirectoryCylinder(fs->DirectoryCylinder());
  p.SetReservedCylinders(fs->ReservedCylinders());
  p.Fit(2000, 2000);
  const auto labels = [&p] {
    std::vector<std::string> out;
    for (int row = 0; row < 11; ++row) out.push_back(p.RowText(row, 12));
    return out;
  };
  EXPECT_EQ(labels(), (std::vector<std::string>{"sys 0", "sys 1", "sys 2", "dir 3", "", "5", "", "",
                                                "", "", "10"}));
  p.Fit(10, 10);
  EXPECT_EQ(labels(),
            (std::vector<std::string>{"sys 0", "", "", "dir 3", "", "", "", "", "", "", "10"}));
}

// Size and record length sort as numbers, the others as their text.
TEST(PresentFiles, SortedAsNumbersWhereTheyAreNumbers) {
  const auto fs = ops::FilesystemToChange(disk::ReadDisk(ImageBuffer(build::Jv1(35))));
  filesystems::Entry small, big;
  small.name = "B";
  small.size = 999;
  big.name = "A";
  big.size = 1000;
  EXPECT_TRUE(FileBefore(*fs, small, big, 1));
  EXPECT_FALSE(FileBefore(*fs, big, small, 1));
  EXPECT_TRUE(FileBefore(*fs, big, small, 0));
}

TEST(PresentChooser, PatternsAndJoins) {
  EXPECT_TRUE(MatchesPattern("GAME.DSK", "*.dsk;*.dmk"));
  EXPECT_TRUE(MatchesPattern("game.DmK", "*.dsk;*.dmk"));
  EXPECT_FALSE(MatchesPattern("game.dsk.bak", "*.dsk;*.dmk"));
  EXPECT_TRUE(MatchesPattern("README", "*.*"));
  EXPECT_TRUE(MatchesPattern("a1.jv3", "a?.jv?"));
  EXPECT_FALSE(MatchesPattern("a12.jv3", "a?.jv?"));
  EXPECT_EQ(JoinPath("/", "a", '/'), "/a");
  EXPECT_EQ(JoinPath("C:\\", "a", '\\'), "C:\\a");
  EXPECT_EQ(JoinPath("/d", "a", '/'), "/d/a");
}

// Every list of containers comes from the one table: each written
// container is offered once, found by its word in any case, and saved
// under its own extension.
TEST(PresentContainers, ListsFromTheTable) {
  const std::vector<SaveChoice> choices = SaveChoices();
  ASSERT_EQ(choices.size(), NewDiskContainers().size());
  std::string words;
  for (std::size_t k = 0; k < choices.size(); ++k) {
    const disk::ContainerFormat& f = disk::FormatOf(choices[k].kind);
    EXPECT_EQ(choices[k].kind, NewDiskContainers()[k]);
    EXPECT_EQ(choices[k].patterns.front(), "*." + SuffixOf(f.kind));
    std::string upper(f.word);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(disk::FormatNamed(upper), &f);
    words += (k ? "|" : "") + std::string(f.word);
  }
  EXPECT_EQ(disk::Words("|", "|"), words);
  EXPECT_EQ(disk::FormatNamed("dm"), nullptr);
  EXPECT_EQ(ChoiceLabel(choices.at(1), ", "), "JV3 (*.jv3, *.dsk)");
}

}  // namespace
}  // namespace trivane::test
