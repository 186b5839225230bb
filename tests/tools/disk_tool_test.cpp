// trivane-disk, run as a program on the sample images.
#include <nlohmann/json.hpp>

#include "tool_support.h"

namespace trivane::test {
namespace {

using nlohmann::json;

class DiskTool : public SampleFolder {
 protected:
  static ToolRun Tool(const std::vector<std::string>& args) {
    return Run(TRIVANE_DISK, args, dir_ / "out.txt");
  }
  static std::vector<json> JsonLines(const std::vector<std::string>& args) {
    std::vector<json> lines;
    std::istringstream out(Tool(args).out);
    for (std::string line; std::getline(out, line);) lines.push_back(json::parse(line));
    return lines;
  }
};

TEST_F(DiskTool, SectorsAsJsonHoldExactlyTheirMembers) {
  const auto lines = JsonLines({"sectors", "--json", "--data", Path("dmk-mixed-damaged.dmk"),
                                Path("notes.dsk"), Path("jv1-35track.dsk")});
  ASSERT_EQ(lines.size(), 3u);
  const json& dmk = lines[0];
  EXPECT_EQ(dmk.size(), 6u);
  EXPECT_EQ(dmk["container"], "DMK");
  EXPECT_EQ(std::make_pair(dmk["cylinders"], dmk["heads"]), std::make_pair(json(40), json(1)));
  EXPECT_EQ(dmk["summary"], json::parse(R"({"total":712,"sd":10,"dd":702,"id_crc_errors":1,
                                            "data_crc_errors":1,"no_dam":1})"));
  json first = dmk["sectors"][0];
  EXPECT_EQ(first["data"].get<std::string>().substr(0, 8), "00010203");  // undoubled
  first.erase("data");
  EXPECT_EQ(first, json::parse(R"({"cyl":0,"head":0,"track":0,"side":0,"sector":0,"size":256,
      "density":"SD","dam":251,"id_crc_ok":true,"data_crc_ok":true,"offset":238})"));
  const json& no_data = dmk["sectors"][10 + 4 * 18 + 5];
  EXPECT_EQ(
      std::make_tuple(no_data["sector"], no_data["dam"], no_data["data_crc_ok"], no_data["offset"]),
      std::make_tuple(json(5), json(nullptr), json(nullptr), json(nullptr)));
  EXPECT_EQ(
      lines[1],
      json({{"file", Path("notes.dsk")},
            {"error", "not a disk image: no DMK header, no JV1 boot sector, no JV3 header"}}));
  EXPECT_EQ(lines[2]["sectors"][0]["id_crc_ok"], nullptr);  // JV1 keeps no CRCs
}

TEST_F(DiskTool, TextHexdumpAndRawSector) {
  ToolRun run = Tool({"sectors", Path("dmk-mixed-damaged.dmk")});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("    5 0   256 DD FB:  0 1 2 3!data 4!id 5- 6(F8) 7"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  712 sectors: 10 single density, 702 double density;"),
            std::string::npos);

  run = Tool(
      {"hexdump", Path("dmk-mixed-damaged.dmk"), "--cyl", "0", "--head", "0", "--sector", "1"});
  EXPECT_EQ(run.out.substr(0, 79),
            "00000000  0d 0e 0f 10 11 12 13 14  15 16 17 18 19 1a 1b 1c  |................|\n");
  EXPECT_EQ(run.out.size(), 16u * 79);

  run = Tool({"sector", Path("jv3-sssd.dsk"), "1", "0", "2"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string(256, '\xE5'));
  run = Tool({"sector", Path("jv3-sssd.dsk"), "1", "0", "12"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "trivane-disk: " + Path("jv3-sssd.dsk") +
                         ": no sector 12 with data on cylinder 1 head 0\n");
}

TEST_F(DiskTool, ExitStatus) {
  EXPECT_EQ(Tool({"sectors", Path("jv1-35track.dsk"), Path("dmk-real-disk.dmk")}).status, 1);
  EXPECT_EQ(Tool({"sectors", "--json", Path("jv3-dsdd.dsk")}).status, 0);
  for (const auto& args : {std::vector<std::string>{},
                           {"sectors"},
                           {"sectors", "--xml", Path("jv3-dsdd.dsk")},
                           {"hexdump", Path("jv3-dsdd.dsk"), "--cyl", "1"},
                           {"sector", "x", "1", "2"},
                           {"format", Path("jv3-dsdd.dsk")}}) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 2) << args.size();
    EXPECT_NE(run.err.find("usage: trivane-disk sectors"), std::string::npos);
  }
  EXPECT_EQ(Tool({"sectors", "--help"}).status, 0);
}

}  // namespace
}  // namespace trivane::test
