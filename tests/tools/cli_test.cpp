// What the command-line tools share: SHA-256 against the standard's test
// vectors, with and without the processor's instructions, and JSON strings
// escaped so that any name makes valid JSON, and files worked on side by side
// handed on in their order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "cli/escaped.h"
#include "cli/in_order.h"
#include "cli/json_writer.h"
#include "cli/sha256.h"

namespace trivane::test {
namespace {

std::vector<std::uint8_t> Of(const std::string& s) {
  return {s.begin(), s.end()};
}

// Files of uneven length, some slow: every result is handed on once, in
// order, never more than `ahead` made and not yet handed on, and a stop
// leaves nothing worked on far past it.
TEST(CliInOrder, HandsOnInOrderWithinItsRoom) {
  for (const unsigned workers : {1u, 2u, 4u}) {
    for (const std::size_t ahead : {1u, 3u, 16u}) {
      std::atomic<std::size_t> made{0}, most{0}, handed{0};
      std::vector<std::size_t> order;
      const auto produce = [&](std::size_t i) {
        if (i % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        const std::size_t waiting = ++made - handed;
        for (std::size_t m = most; waiting > m && !most.compare_exchange_weak(m, waiting);) {
        }
        return i * 3;
      };
      cli::InOrder<std::size_t>(200, workers, ahead, produce, [&](std::size_t i, std::size_t r) {
        EXPECT_EQ(r, i * 3);
        order.push_back(i);
        ++handed;
        return true;
      });
      ASSERT_EQ(order.size(), 200u);
      for (std::size_t i = 0; i < order.size(); ++i) ASSERT_EQ(order[i], i);
      EXPECT_LE(most.load(), workers > 1 ? ahead : 1) << workers << " " << ahead;
      std::size_t seen = 0;
      made = 0;
      cli::InOrder<std::size_t>(1000, workers, ahead, produce,
                                [&](std::size_t, std::size_t) { return ++seen < 10; });
      EXPECT_EQ(seen, 10u);
      EXPECT_LE(made.load(), 10 + ahead + workers) << workers << " " << ahead;
    }
  }
}

TEST(CliSha256, StandardVectors) {
  const std::pair<std::string, std::string> vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
  for (const auto& [text, hash] : vectors) {
    EXPECT_EQ(cli::Sha256Hex(Of(text), true), hash) << text.size();
    EXPECT_EQ(cli::Sha256Hex(Of(text), false), hash) << text.size();
  }
  // Lengths around the block and padding boundaries, both ways alike.
  for (std::size_t n : {55u, 56u, 63u, 64u, 65u, 119u, 120u}) {
    EXPECT_EQ(cli::Sha256Hex(Of(std::string(n, 'x')), true),
              cli::Sha256Hex(Of(std::string(n, 'x')), false));
  }
  // Given in parts of every length from 1 to 130, across blocks and the padding.
  const std::vector<std::uint8_t> million = Of(std::string(1000000, 'a'));
  cli::Sha256 parts;
  for (std::size_t at = 0, n = 1; at < million.size(); at += n, n = n % 130 + 1)
    parts.Add(million.data() + at, std::min(n, million.size() - at));
  EXPECT_EQ(parts.Hex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

std::string Quoted(const std::string& bytes) {
  cli::JsonWriter w;
  w.BeginArray().String(bytes).EndArray();
  return w.text();
}

TEST(CliJson, EscapesAndReplacesWhatIsNotUtf8) {
  EXPECT_EQ(Quoted("a\"b\\c"), R"(["a\"b\\c"])");
  EXPECT_EQ(Quoted(std::string("\x01\n\t\x1f", 4)), R"(["\u0001\n\t\u001f"])");
  EXPECT_EQ(Quoted("caf\xc3\xa9"), "[\"caf\xc3\xa9\"]");
  // One U+FFFD for each maximal invalid run.
  EXPECT_EQ(Quoted("a\xff\xfe"
                   "b\xc3"),
            "[\"a\xef\xbf\xbd\xef\xbf\xbd"
            "b\xef\xbf\xbd\"]");
  for (int b = 0; b < 256; ++b) {
    const std::string text = Quoted(std::string(1, static_cast<char>(b)) + "x");
    EXPECT_TRUE(nlohmann::json::accept(text)) << b;
  }
  cli::JsonWriter w;
  w.BeginObject().Member("n", 3).Member("s", "t").Member("b", true).Key("z").Null().EndObject();
  EXPECT_EQ(w.text(), R"({"n":3,"s":"t","b":true,"z":null})");
}

TEST(CliEscaped, ControlsNeverReachTheTerminal) {
  const std::string shown = cli::Escaped(std::string("a\x1b[2Jb\rc\n", 9));
  EXPECT_EQ(shown.find('\x1b'), std::string::npos);
  EXPECT_EQ(shown.find('\r'), std::string::npos);
  EXPECT_EQ(shown.find('\n'), std::string::npos);
  EXPECT_EQ(cli::Escaped("GAME/BAS"), "GAME/BAS");
}

}  // namespace
}  // namespace trivane::test
