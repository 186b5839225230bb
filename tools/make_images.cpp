// make-images samples DIR | seeds DIR | bench DIR COUNT: writes the images the
// image builder makes: the sample folder the window starts in, the fuzzing
// seeds, or COUNT benchmark images.
#include <algorithm>
#include <iostream>
#include <string>
#include <tuple>

#include "builder/dos_images.h"
#include "builder/flux_images.h"
#include "builder/samples.h"
#include "builder/zip_images.h"
#include "disk/container.h"
#include "disk/track_writers.h"
#include "formats/reed.h"
#include "tape/tape.h"

namespace {

namespace build = trivane::build;
namespace fs = std::filesystem;

constexpr const char* kUsage = "usage: make-images samples DIR | seeds DIR | bench DIR COUNT\n";

bool Write(const fs::path& path, const build::Bytes& bytes) {
  if (build::WriteFile(path, bytes)) return true;
  std::cerr << "make-images: cannot write " << path.string() << "\n";
  return false;
}

// The seed written as HFE and as IMD for the cells target: a first byte
// that picks the container, then the file after its signature.
bool WriteCells(const fs::path& dir, const build::Sample& seed) {
  namespace disk = trivane::disk;
  const disk::Disk d = disk::ReadDisk(trivane::ImageBuffer(seed.bytes));
  if (!d.error.empty() || d.sectors.empty()) return true;
  for (const auto& [to, pick, signature] :
       {std::tuple{disk::Container::kHfe, 0, 8}, std::tuple{disk::Container::kImd, 2, 4}}) {
    const build::Bytes file = disk::FormatOf(to).write(d, {}).bytes;
    build::Bytes input(file.begin() + signature - 1, file.end());
    input[0] = static_cast<std::uint8_t>(pick);
    const std::string name = seed.name + (pick == 0 ? ".hfe" : ".imd");
    if (!Write(dir / "read_cells" / name, input)) return false;
  }
  return true;
}

// The hard-disk target's seed: its new hard disk's own header (from byte
// 2) and drive 0's directory cylinder, as the target lays its input over them.
bool WriteHardDiskSeed(const fs::path& dir) {
  const build::Bytes image = build::NewHardDisk(36, 2);
  const std::size_t directory = trivane::reed::kHeaderBytes + 18 * 2 * 32 * 256;
  build::Bytes seed(46 + 32 * 256);
  std::copy_n(image.begin() + 2, 46, seed.begin());
  std::copy_n(image.begin() + static_cast<long>(directory), 32 * 256, seed.begin() + 46);
  seed[0] = 0x10;  // the version byte, which also picks drive 0
  return Write(dir / "read_hard_disk" / "new-ldos-36x2", seed);
}

// Each seed as it is for identification and the sector reader, and for the
// locator target behind a request for track 0, side 0, sector 2 (four bytes
// each).
// A SYSTEM and a BASIC program at each speed, as CAS and as WAV.
bool WriteTapeSeeds(const fs::path& dir) {
  for (int baud : {250, 500, 1500}) {
    trivane::tape::Tape t;
    t.programs.push_back(
        trivane::tape::SystemProgram("SEED", {{0x7000, build::Bytes(40, 0x3E)}}, 0x7000, baud));
    t.programs.push_back(
        trivane::tape::BasicProgram("B", {0x08, 0x68, 0x0A, 0x00, 0xB2, 0x00, 0x00, 0x00}, baud));
    t.programs[0].leader = baud == 250 ? 16 : 40;
    t.programs[1].leader = baud == 250 ? 16 : 40;
    const std::string name = "tape-" + std::to_string(baud);
    if (!Write(dir / "read_cas" / (name + ".cas"), trivane::tape::WriteCas(t)) ||
        !Write(dir / "read_wav" / (name + ".wav"), trivane::tape::WriteWav(t, 11025 * 2))) {
      return false;
    }
  }
  return true;
}

// The first track of a seed disk as flux: two revolutions as a KryoFlux
// stream, one as an SCP file.
bool WriteFluxSeeds(const fs::path& dir, const build::Sample& seed) {
  const trivane::disk::Disk d = trivane::disk::ReadDisk(trivane::ImageBuffer(seed.bytes));
  if (d.sectors.empty() || d.container == trivane::disk::Container::kReed) return true;
  const trivane::cells::Cells cells = trivane::disk::TrackCellsOf(d, 0, 0, 0, true);
  const std::vector<trivane::flux::ScpTrack> track = {
      {0, 0, 0, trivane::flux::FluxOf(cells, 2000, 25, 1)}};
  return Write(dir / "read_kryoflux" / seed.name,
               build::KryoFluxStream(trivane::flux::FluxOf(cells, 2000, 1e9 / 24027428.57, 2))) &&
         Write(dir / "read_scp" / seed.name, trivane::flux::WriteScp(track));
}

// A zip of two seed disks, one stored and one deflated, and a zip inside.
bool WriteZipSeed(const fs::path& dir) {
  const std::vector<build::Sample> seeds = build::Seeds();
  const build::Bytes inner = build::Zip({{"inner.dsk", seeds.front().bytes}});
  return Write(dir / "read_zip" / "two.zip",
               build::Zip({{seeds.front().name, seeds.front().bytes, false},
                           {seeds.back().name, seeds.back().bytes},
                           {"inner.zip", inner}}));
}

bool WriteSeeds(const fs::path& dir) {
  for (const char* target : {"identify", "find_sector", "read_disk", "read_cells", "read_hard_disk",
                             "read_dos", "convert", "change", "change_damaged", "views", "read_cas",
                             "read_wav", "read_kryoflux", "read_scp", "read_zip"}) {
    fs::create_directories(dir / target);
  }
  for (const auto& seed : build::Seeds()) {
    build::Bytes request(12 + seed.bytes.size(), 0);
    request[8] = 2;
    std::copy(seed.bytes.begin(), seed.bytes.end(), request.begin() + 12);
    if (!Write(dir / "identify" / seed.name, seed.bytes) ||
        !Write(dir / "read_disk" / seed.name, seed.bytes) ||
        !Write(dir / "read_dos" / seed.name, seed.bytes) ||
        !Write(dir / "convert" / seed.name, seed.bytes) ||
        !Write(dir / "change" / seed.name, seed.bytes) ||
        !Write(dir / "change_damaged" / seed.name, seed.bytes) ||
        !Write(dir / "views" / seed.name, seed.bytes) ||
        !Write(dir / "find_sector" / seed.name, request) || !WriteCells(dir, seed) ||
        !WriteFluxSeeds(dir, seed)) {
      return false;
    }
  }
  return WriteHardDiskSeed(dir) && WriteTapeSeeds(dir) && WriteZipSeed(dir);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (!((argc == 3 && (what == "samples" || what == "seeds")) || (argc == 4 && what == "bench"))) {
    std::cerr << kUsage;
    return 2;
  }
  const fs::path dir = argv[2];
  fs::create_directories(dir);
  if (what == "seeds") return WriteSeeds(dir) ? 0 : 1;
  if (what == "samples") {
    for (const auto& sample : build::Samples()) {
      if (!Write(dir / sample.name, sample.bytes)) return 1;
    }
    return 0;
  }
  const int count = std::stoi(argv[3]);
  for (int n = 0; n < count; ++n) {
    const build::Sample image = build::BenchImage(n);
    if (!Write(dir / image.name, image.bytes)) return 1;
  }
  return 0;
}
