// Gives the input's bytes to every view (BASIC, text, load module map and
// disassembly, hex): none may read outside the bytes (the sanitizers say),
// loop without end, or give a BASIC listing without its damage said.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "views/basic.h"
#include "views/view.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using trivane::fuzz::Require;
  namespace views = trivane::views;
  const std::vector<std::uint8_t> bytes(data, data + size);
  for (views::ViewKind kind :
       {views::ViewKind::kAuto, views::ViewKind::kBasic, views::ViewKind::kText,
        views::ViewKind::kCmd, views::ViewKind::kAsm, views::ViewKind::kHex}) {
    const views::View v = views::MakeView(bytes, kind);
    Require(v.lines.size() <= size + 16, "more lines than the bytes can make");
  }
  const views::BasicListing l = views::ListBasic(bytes);
  Require(l.lines.size() * 5 <= size, "BASIC lines the bytes cannot hold");
  return 0;
}
