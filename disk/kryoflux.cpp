// KryoFlux dumps as disks (kryoflux.h): each stream file's flux
// (flux/flux.h) read to sectors over every revolution (flux_tracks.h). A
// dump is named by its folder (or any one file of it), so a lone stream's
// bytes, as a file's content, are read as the one track of cylinder 0.
#include "disk/kryoflux.h"

#include <algorithm>

#include "disk/container.h"
#include "disk/flux_tracks.h"
#include "flux/flux.h"

namespace trivane::disk {
namespace {

constexpr std::uint8_t kOutOfBand = 0x0D;
constexpr int kInfo = 1, kText = 4;  // the block types a stream starts with

void AddStream(Offset from, const StreamFile& f, FluxState& state, Disk& disk) {
  // About where the sector's flux lies (a byte a transition, a transition
  // every two or three cells), never the same for two of the track's
  // sectors: their data is kept by it.
  const auto offset_of = [from](std::size_t cell) { return from + static_cast<Offset>(cell / 2); };
  AddFluxTrack(flux::ReadKryoFluxStream(f.bytes), f.cylinder, f.head, offset_of, state, disk);
}

Disk DiskOf(std::vector<StreamFile> files) {
  Disk disk;
  disk.container = Container::kKryoFlux;
  std::sort(files.begin(), files.end(), [](const StreamFile& a, const StreamFile& b) {
    return std::pair{a.cylinder, a.head} < std::pair{b.cylinder, b.head};
  });
  std::vector<std::uint8_t> all;
  for (const StreamFile& f : files) all.insert(all.end(), f.bytes.begin(), f.bytes.end());
  disk.image = ImageBuffer(std::move(all));
  auto state = std::make_shared<FluxState>();
  disk.heads = 1;
  Offset from = 0;
  for (const StreamFile& f : files) {
    disk.cylinders = std::max(disk.cylinders, f.cylinder + 1);
    if (f.head == 1) disk.heads = 2;
    AddStream(from, f, *state, disk);
    from += static_cast<Offset>(f.bytes.size());
  }
  if (files.empty()) disk.error = "no stream files (trackNN.S.raw) in the dump";
  disk.state = std::move(state);
  return disk;
}

int RecogniseStream(const ImageBuffer& image) {
  const int type = image.at(1);
  return image.at(0) == kOutOfBand && (type == kInfo || type == kText) ? 50 : 0;
}

void ReadStream(const ImageBuffer& image, Disk& disk, bool) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(image.size()));
  image.Read(0, bytes.data(), bytes.size());
  Disk read = DiskOf({{0, 0, std::move(bytes)}});
  disk.cylinders = read.cylinders, disk.heads = read.heads;
  disk.sectors = std::move(read.sectors), disk.problems = std::move(read.problems);
  disk.state = std::move(read.state);
}

// A dump is not written: the disk is saved as another container.
Written WriteStream(const Disk&, const WriteOptions&) {
  return {{}, {"a KryoFlux dump is not written: save the disk as another container"}, {}};
}

}  // namespace

Disk ReadKryoFluxDump(std::vector<StreamFile> files) {
  return DiskOf(std::move(files));
}

// The container's row (disk/container.h).
extern constexpr ContainerFormat kKryoFluxRow = {
    Container::kKryoFlux,
    "KryoFlux",
    "kryoflux",
    "KryoFlux stream dump",
    "a folder of stream files, the flux of every track over several revolutions as a flux "
    "drive read it: single and double density, every data mark, CRC errors; a sector good on "
    "any revolution is good",
    "*.raw",
    "",
    "",
    "",
    0,
    6,
    false,
    false,
    kMostFloppyBytes,
    "stream header",
    RecogniseStream,
    ReadStream,
    WriteStream};

}  // namespace trivane::disk
