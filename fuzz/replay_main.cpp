// Runs a fuzz target once on each file named, or on each file of each folder
// named: the ordinary build compiles every target with this in place of
// libFuzzer, and the tests replay the kept regressions and the seeds with it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
    return 1;
  }
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  const std::size_t size = bytes.size();
  bytes.push_back(0);  // as libFuzzer, never a null pointer, even for an empty file
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), size);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failed = 0;
  static const std::uint8_t kNone = 0;
  LLVMFuzzerTestOneInput(&kNone, 0);
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path named(argv[i]);
    std::error_code error;
    if (!std::filesystem::is_directory(named, error)) {
      failed |= Replay(named);
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(named, error))
      if (entry.is_regular_file()) failed |= Replay(entry.path());
  }
  return failed;
}
