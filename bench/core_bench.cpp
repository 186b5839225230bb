// How long identification takes for each kind of image, largest first; how
// long opening the same files takes from the page cache; how long reading
// every sector takes; how long finding a disk's CP/M format takes, from the
// table or by hunting, and on disks that are not CP/M; how long reading and
// writing an HFE and an IMD take beside the DMK of the same disk; how long
// a directory of every drive of a 13 MB hard disk takes, from its file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "builder/cpm_images.h"
#include "builder/dos_images.h"
#include "builder/image_builder.h"
#include "builder/samples.h"
#include "disk/container.h"
#include "disk/disk.h"
#include "fs/cpm/unit.h"
#include "identification/identify_image.h"
#include "identification/recording_window.h"
#include "loader/image_file.h"
#include "ops/drives.h"
#include "ops/filesystems.h"
#include "ops/prove.h"

namespace {

using trivane::build::Bytes;
namespace build = trivane::build;

Bytes FullJv3() {
  auto entries = build::Jv3Disk(80, 2, 18, true);
  for (int n = 0; entries.size() < trivane::jv3::kEntries; ++n)
    entries.push_back({80, n, build::Jv3Flags(0, true)});
  return build::Jv3(entries);
}

Bytes Sample(const std::string& name) {
  for (const auto& s : build::Samples()) {
    if (s.name == name) return s.bytes;
  }
  return {};
}

struct Case {
  const char* name;
  Bytes image;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"jv3_full_table_dsdd_80", FullJv3()},
      {"dmk_dsdd_80_newdos80", Sample("dmk-newdos80.DMK")},
      {"dmk_dsdd_80", build::Dmk(trivane::dmk::kDoubleTrack, 80, 2, 18)},
      {"dmk_sssd_40", Sample("dmk-sssd.dmk")},
      {"jv3_newdos80", Sample("jv3-newdos80.dsk")},
      {"jv1_newdos80", Sample("jv1-newdos80.dsk")},
      {"jv1_35", build::Jv1(35)},
      {"refused", Sample("notes.dsk")},
  };
  return cases;
}

void Identify(benchmark::State& state, const Bytes* image) {
  trivane::AnalysisRecord record;
  const trivane::ImageBuffer buffer(*image);
  for (auto _ : state) {
    trivane::RecordingWindow window;
    record.filebuf = buffer;
    trivane::IdentifyImage(record, window);
    benchmark::DoNotOptimize(window.text(trivane::Field::Text1).data());
  }
}

std::filesystem::path WriteFile(const Case& c) {
  const auto path =
      std::filesystem::temp_directory_path() / (std::string("trivane-bench-") + c.name);
  build::WriteFile(path, c.image);
  return path;
}

void OpenFile(benchmark::State& state, const Case* c) {
  const auto path = WriteFile(*c);
  for (auto _ : state) {
    const trivane::LoadedImage loaded = trivane::OpenImageFile(path);
    benchmark::DoNotOptimize(loaded.buffer.at(0));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(c->image.size()));
  std::filesystem::remove(path);
}

void ReadSectors(benchmark::State& state, const Bytes* image) {
  const trivane::ImageBuffer buffer(*image);
  for (auto _ : state) {
    const trivane::disk::Disk disk = trivane::disk::ReadDisk(buffer);
    benchmark::DoNotOptimize(disk.sectors.data());
  }
}

// A CP/M disk of no published format: found only by hunting.
Bytes HuntedCpm() {
  const build::CpmSpec odd{80, 2, 18, 256, 1, 3, 4096, 256, 5};
  std::vector<build::CpmFile> files;
  for (int k = 0; k < 40; ++k)
    files.push_back({k % 4, "FILE" + std::to_string(k), "DAT", Bytes(300 * k, 7)});
  return trivane::disk::FormatOf(trivane::disk::Container::kDmk)
      .write(build::CpmDisk(odd, files), {})
      .bytes;
}

const std::vector<Case>& CpmCases() {
  static const std::vector<Case> cases = {
      {"cpm_omikron", Sample("cpm-omikron.dmk")},
      {"cpm_hunted_80x2", HuntedCpm()},
      {"not_cpm_ldos", Sample("dos-ldos.dmk")},
      {"not_cpm_blank_dsdd_80", build::Dmk(trivane::dmk::kDoubleTrack, 80, 2, 18)},
  };
  return cases;
}

void FindCpm(benchmark::State& state, const Bytes* image) {
  const trivane::disk::Disk disk = trivane::disk::ReadDisk(trivane::ImageBuffer(*image));
  for (auto _ : state) {
    const auto fs = trivane::cpm::OpenCpm(disk);
    benchmark::DoNotOptimize(fs->Score());
  }
}

// The same disk in each container, written from its DMK.
const std::vector<Case>& ContainerCases() {
  namespace disk = trivane::disk;
  static const std::vector<Case> cases = [] {
    const Bytes dmk = Sample("dmk-newdos80.DMK");
    const disk::Disk d = disk::ReadDisk(trivane::ImageBuffer(dmk));
    return std::vector<Case>{
        {"dmk", dmk},
        {"hfe", disk::FormatOf(disk::Container::kHfe).write(d, {}).bytes},
        {"imd", disk::FormatOf(disk::Container::kImd).write(d, {}).bytes},
    };
  }();
  return cases;
}

// Writing the disk afresh as the container: read from the IMD, which
// neither DMK nor HFE can keep blocks or cells of.
void WriteAs(benchmark::State& state, const Case* c) {
  namespace disk = trivane::disk;
  const disk::Disk d = disk::ReadDisk(trivane::ImageBuffer(ContainerCases()[2].image));
  const disk::ContainerFormat* f = disk::FormatNamed(c->name);
  for (auto _ : state) {
    const disk::Written w = f->write(d, {});
    benchmark::DoNotOptimize(w.bytes.data());
  }
}

// A hard disk of 203 cylinders and 8 heads (13 MB), each head an LDOS
// drive of 12 files, in a file of its own.
std::filesystem::path HardDiskFile() {
  namespace ops = trivane::ops;
  Bytes image = build::NewHardDisk(203, 8);
  for (int drive = 0; drive < 8; ++drive) {
    for (int n = 0; n < 12; ++n) {
      const auto d = ops::DiskOfDrive(trivane::disk::ReadDisk(trivane::ImageBuffer(image)), drive);
      const auto fs = ops::FilesystemToChange(d.disk);
      const Bytes data(static_cast<std::size_t>(1000 + 4000 * n), static_cast<std::uint8_t>(n));
      image = ops::PutFile(*fs, "F" + std::to_string(n) + "/DAT", data, false, "12/08/26").bytes;
    }
  }
  const auto path = std::filesystem::temp_directory_path() / "trivane-bench-hard-disk.hdv";
  build::WriteFile(path, image);
  return path;
}

// What `dir` does: the file opened page by page, its sectors, each drive's
// directory and findings.
void HardDiskDir(benchmark::State& state) {
  static const std::filesystem::path path = HardDiskFile();
  for (auto _ : state) {
    const trivane::LoadedImage loaded = trivane::OpenImageFile(path);
    const trivane::disk::Disk d = trivane::disk::ReadDisk(loaded.buffer, false);
    const trivane::ops::Drives drives = trivane::ops::OpenDrives(d);
    for (const auto& drive : drives.list) {
      benchmark::DoNotOptimize(drive.fs->List(false).size() + drive.fs->CheckLines().size());
    }
  }
}

const bool registered = [] {
  benchmark::RegisterBenchmark("hard_disk_dir/203x8_13MB", HardDiskDir)
      ->Unit(benchmark::kMillisecond);
  for (const Case& c : Cases()) {
    benchmark::RegisterBenchmark((std::string("identify/") + c.name).c_str(), Identify, &c.image);
  }
  for (const Case& c : Cases()) {
    benchmark::RegisterBenchmark((std::string("open/") + c.name).c_str(), OpenFile, &c);
  }
  for (const Case& c : Cases()) {
    benchmark::RegisterBenchmark((std::string("read_disk/") + c.name).c_str(), ReadSectors,
                                 &c.image);
  }
  for (const Case& c : ContainerCases()) {
    benchmark::RegisterBenchmark((std::string("container_read/") + c.name).c_str(), ReadSectors,
                                 &c.image);
    benchmark::RegisterBenchmark((std::string("container_write/") + c.name).c_str(), WriteAs, &c);
  }
  for (const Case& c : CpmCases()) {
    benchmark::RegisterBenchmark((std::string("find_cpm/") + c.name).c_str(), FindCpm, &c.image);
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
