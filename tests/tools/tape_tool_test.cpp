// trivane-disk on tapes: a tape made here as CAS and WAV, and the real
// tapes where they are; listed, extracted, converted, put on a disk and
// made from its files.
#include <nlohmann/json.hpp>

#include "builder/image_builder.h"
#include "cli/sha256.h"
#include "ops/tapes.h"
#include "tape/tape.h"
#include "tool_support.h"
#include "views/load_module.h"

namespace trivane::test {
namespace {

using nlohmann::json;
using Bytes = std::vector<std::uint8_t>;

const Bytes kBasic = {0x0A, 0x68, 0x0A, 0x00, 0xB2, ' ', '"', 'H', 'I', '"', 0x00, 0x00, 0x00};

tape::Tape Made() {
  Bytes code(300);
  for (std::size_t k = 0; k < code.size(); ++k) code[k] = static_cast<std::uint8_t>(k * 7);
  tape::Tape t;
  t.programs.push_back(tape::SystemProgram(
      "GAME",
      {{0x7000, {code.begin(), code.begin() + 256}}, {0x7100, {code.begin() + 256, code.end()}}},
      0x7003));
  t.programs.push_back(tape::BasicProgram("H", kBasic));
  return t;
}

class TapeTool : public SampleFolder {
 protected:
  static void SetUpTestSuite() {
    SampleFolder::SetUpTestSuite();
    ASSERT_TRUE(build::WriteFile(dir_ / "made.cas", tape::WriteCas(Made())));
    ASSERT_TRUE(build::WriteFile(dir_ / "made.wav", tape::WriteWav(Made())));
  }
  static ToolRun Tool(const std::vector<std::string>& args) {
    return Run(TRIVANE_DISK, args, dir_ / "out.txt");
  }
};

TEST_F(TapeTool, DirAsJsonHoldsExactlyItsMembers) {
  for (const char* name : {"made.cas", "made.wav"}) {
    const ToolRun r = Tool({"dir", "--json", Path(name)});
    ASSERT_EQ(r.status, 0) << r.err;
    const json t = json::parse(r.out);
    EXPECT_EQ(t["container"], std::string(name).ends_with("cas") ? "CAS" : "WAV");
    ASSERT_EQ(t["programs"].size(), 2u);
    std::vector<std::string> keys;
    for (const auto& [key, value] : t["programs"][0].items()) keys.push_back(key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"bad_checksums", "baud", "blocks", "end", "entry",
                                        "findings", "kind", "load", "name", "sha256", "size"}));
    const json& game = t["programs"][0];
    EXPECT_EQ(game["kind"], "system");
    EXPECT_EQ(game["name"], "GAME");
    EXPECT_EQ(game["load"], 0x7000);
    EXPECT_EQ(game["end"], 0x712B);
    EXPECT_EQ(game["entry"], 0x7003);
    EXPECT_EQ(game["blocks"], 2);
    EXPECT_EQ(game["size"], 300);
    EXPECT_EQ(game["sha256"], cli::Sha256Hex(Made().programs[0].data));
    const json& basic = t["programs"][1];
    EXPECT_EQ(basic["kind"], "basic");
    EXPECT_TRUE(basic["load"].is_null() && basic["entry"].is_null());
    EXPECT_EQ(basic["sha256"], cli::Sha256Hex(kBasic));
  }
  // A damaged block is counted and named.
  Bytes cas = tape::WriteCas(Made());
  cas[256 + 7 + 4 + 10] ^= 1;
  ASSERT_TRUE(build::WriteFile(dir_ / "damaged.cas", cas));
  const json d = json::parse(Tool({"dir", "--json", Path("damaged.cas")}).out);
  EXPECT_EQ(d["programs"][0]["bad_checksums"], 1);
  EXPECT_EQ(d["programs"][0]["findings"][0], "block 1 at 7000: bad checksum");
}

TEST_F(TapeTool, ExtractGivesTheDiskFilesAndConvertProvesItsTape) {
  const fs::path out = dir_ / "from-tape";
  ASSERT_EQ(Tool({"extract", Path("made.wav"), "-o", out.string(), "--listings"}).status, 0);
  const std::string cmd = Slurp(out / "GAME.CMD");
  const views::LoadModule m = views::ReadLoadModule(Bytes(cmd.begin(), cmd.end()));
  ASSERT_EQ(m.blocks.size(), 2u);
  EXPECT_EQ(m.blocks[1].address, 0x7100);
  EXPECT_EQ(m.blocks[1].length, 44);
  EXPECT_EQ(m.transfer, 0x7003);
  EXPECT_EQ(Slurp(out / "H.BAS"), std::string("\xFF") + std::string(kBasic.begin(), kBasic.end()));
  EXPECT_EQ(Slurp(out / "H.BAS.txt"), "10 PRINT \"HI\"\n");
  EXPECT_EQ(Tool({"extract", Path("made.wav"), "-o", out.string()}).status,
            1);  // never over a file

  const std::string back = (dir_ / "back.cas").string();
  EXPECT_EQ(Tool({"convert", Path("made.wav"), back}).status, 0);
  EXPECT_EQ(Slurp(back), Slurp(dir_ / "made.cas"));
  EXPECT_EQ(Tool({"convert", Path("made.wav"), back}).status, 1);
  EXPECT_EQ(
      Tool({"convert", Path("made.cas"), (dir_ / "fast.wav").string(), "--baud", "1500"}).status,
      0);
  EXPECT_EQ(
      json::parse(Tool({"dir", "--json", (dir_ / "fast.wav").string()}).out)["programs"][0]["baud"],
      1500);
  EXPECT_EQ(Tool({"convert", Path("made.cas"), (dir_ / "x.wav").string(), "--baud", "300"}).status,
            2);
  const ToolRun many = Tool({"convert", "--to", "cas", "-o", (dir_ / "many").string(),
                             Path("made.wav"), Path("dos-ldos.dmk")});
  EXPECT_EQ(many.status, 1);
  EXPECT_NE(many.out.find("converted 1 (0 with losses), refused 1"), std::string::npos) << many.out;
  EXPECT_EQ(Slurp(dir_ / "many" / "made.cas"), Slurp(dir_ / "made.cas"));
}

TEST_F(TapeTool, PutOnADiskAndBackOntoATape) {
  fs::copy_file(Path("dos-newdos80-data.dmk"), dir_ / "put.dmk");
  const std::string disk = (dir_ / "put.dmk").string();
  ASSERT_EQ(Tool({"put", disk, Path("made.cas")}).status, 0);
  const ToolRun listed = Tool({"dir", disk});
  EXPECT_NE(listed.out.find("GAME/CMD"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("H/BAS"), std::string::npos);
  EXPECT_EQ(Tool({"view", disk, "H/BAS"}).out, "10 PRINT \"HI\"\n");

  const std::string again = (dir_ / "again.cas").string();
  ASSERT_EQ(Tool({"new", again, "--from", disk, "GAME/CMD", "H/BAS"}).status, 0);
  const json t = json::parse(Tool({"dir", "--json", again}).out);
  EXPECT_EQ(t["programs"][0]["sha256"], cli::Sha256Hex(Made().programs[0].data));
  EXPECT_EQ(t["programs"][1]["sha256"], cli::Sha256Hex(kBasic));
  // A file that is neither, and one no tape can load, are refused and nothing written.
  const ToolRun text =
      Tool({"new", (dir_ / "no.cas").string(), "--from", Path("dos-newdos80.dsk"), "SCATTER/BAS"});
  EXPECT_EQ(text.status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "no.cas"));
}

// What a tape cannot hold is refused: a module loading below 3C00, and
// bytes that are neither a load module nor tokenised BASIC.
TEST(TapeFiles, WhatNoTapeLoadsIsRefused) {
  const Bytes low = {0x01, 0x04, 0xFF, 0x3B, 0xAA, 0xBB, 0x02, 0x02, 0x00, 0x3C};
  EXPECT_NE(ops::ProgramOfFile("LOW/CMD", low, 500).error.find("below 3C00"), std::string::npos);
  Bytes high = low;
  high[3] = 0x3C;
  high[2] = 0x00;
  const ops::MadeProgram ok = ops::ProgramOfFile("HIGH/CMD", high, 500);
  ASSERT_TRUE(ok.error.empty()) << ok.error;
  EXPECT_EQ(ok.program.name, "HIGH");
  EXPECT_EQ(ok.program.Load(), 0x3C00);
  EXPECT_FALSE(ops::ProgramOfFile("TEXT/TXT", {'H', 'I', '\r'}, 500).error.empty());
}

TEST_F(TapeTool, RealTapesExtractAsLoadModulesOfTheirBlocks) {
  const fs::path folder = TRIVANE_REAL_TAPES;
  if (!fs::exists(folder / "README.md")) GTEST_SKIP() << folder << " is not there";
  for (const auto& e : fs::directory_iterator(folder)) {
    if (e.path().extension() != ".wav") continue;
    SCOPED_TRACE(e.path().filename().string());
    const fs::path out = dir_ / ("real-" + e.path().stem().string());
    ASSERT_EQ(Tool({"extract", e.path().string(), "-o", out.string()}).status, 0);
    fs::path cas = e.path();
    const std::string bytes = Slurp(cas.replace_extension(".cas"));
    const tape::Program p = tape::ReadCas(Bytes(bytes.begin(), bytes.end())).programs.at(0);
    const std::string cmd = Slurp(out / (p.name + ".CMD"));
    const Bytes module(cmd.begin(), cmd.end());
    const views::LoadModule m = views::ReadLoadModule(module);
    ASSERT_EQ(m.blocks.size(), p.blocks.size());
    for (std::size_t k = 0; k < m.blocks.size(); ++k) {
      EXPECT_EQ(m.blocks[k].address, p.blocks[k].load);
      EXPECT_EQ(Bytes(module.begin() + static_cast<std::ptrdiff_t>(m.blocks[k].offset),
                      module.begin() + static_cast<std::ptrdiff_t>(m.blocks[k].offset) +
                          m.blocks[k].length),
                p.blocks[k].data);
    }
    EXPECT_EQ(m.transfer, p.entry);
  }
}

}  // namespace
}  // namespace trivane::test
