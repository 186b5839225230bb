// The containers in one registry, the container of an image decided by the
// surest recogniser, and what every container's sectors share: their data,
// a data CRC checked late, data put into them.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "disk/container.h"
#include "formats/jv3.h"
#include "formats/reed.h"
#include "formats/text.h"

namespace trivane::disk {

// Each container's row, in its own file: a new container is its file, its
// Container value, and its row named here.
extern const ContainerFormat kDmkRow, kJv1Row, kJv3Row, kHfeRow, kImdRow, kReedRow, kScpRow,
    kKryoFluxRow;

namespace {

// A file too short to hold a JV3 header whose bytes are the start of one:
// entries of cylinder 0 first, each entry free or a cylinder and sector id
// a disk could have.
bool CutJv3Header(const ImageBuffer& image) {
  const Offset entries = image.size() / jv3::kEntryBytes;
  if (image.size() > jv3::kWriteProtect || entries < 2 || image.at(0) != 0) return false;
  for (Offset e = 0; e < entries; ++e) {
    const int cylinder = image.at(e * jv3::kEntryBytes), id = image.at(e * jv3::kEntryBytes + 1);
    if (cylinder != jv3::kFreeTrack && (cylinder > 95 || id > 63)) return false;
  }
  return true;
}

// Every container's row, in the order the emulators test them.
constexpr const ContainerFormat* kContainers[] = {&kDmkRow, &kJv1Row,  &kJv3Row, &kHfeRow,
                                                  &kImdRow, &kReedRow, &kScpRow, &kKryoFluxRow};

// "not a disk image: no DMK, JV3, HFE, IMD or Reed header, no JV1 boot
// sector": what each recogniser looks for, said of them all.
std::string NoneRecognised() {
  std::vector<std::string_view> looks;  // what the recognisers look for, in order
  std::map<std::string_view, std::vector<std::string>> names;
  for (const ContainerFormat* f : kContainers) {
    if (names[f->recognised_by].empty()) looks.push_back(f->recognised_by);
    names[f->recognised_by].emplace_back(f->name);
  }
  std::string out = "not a disk image";
  for (std::size_t k = 0; k < looks.size(); ++k) {
    out += (k == 0 ? ": no " : ", no ") + JoinedWords(names[looks[k]], ", ", " or ") + " " +
           std::string(looks[k]);
  }
  return out;
}

}  // namespace

std::span<const ContainerFormat* const> Containers() {
  return kContainers;
}

std::vector<const ContainerFormat*> Offered() {
  std::vector<const ContainerFormat*> out;
  for (const ContainerFormat* f : kContainers) {
    if (f->writes) out.push_back(f);
  }
  std::sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->offered < b->offered; });
  return out;
}

const ContainerFormat& FormatOf(Container kind) {
  for (const ContainerFormat* f : kContainers) {
    if (f->kind == kind) return *f;
  }
  return *kContainers[0];
}

const ContainerFormat* FormatNamed(std::string_view word) {
  for (const ContainerFormat* f : kContainers) {
    const bool same = std::equal(word.begin(), word.end(), f->word.begin(), f->word.end(),
                                 [](char a, char b) { return std::tolower(a) == b; });
    if (same) return f;
  }
  return nullptr;
}

std::string Names(bool hard_disk, std::string_view separator, std::string_view last) {
  std::vector<std::string> names;
  for (const ContainerFormat* f : kContainers) {
    if (f->hard_disk == hard_disk) names.emplace_back(f->name);
  }
  return JoinedWords(names, separator, last);
}

std::string Words(std::string_view separator, std::string_view last) {
  std::vector<std::string> words;
  for (const ContainerFormat* f : Offered()) words.emplace_back(f->word);
  return JoinedWords(words, separator, last);
}

// Of equal scores the earlier in the registry, as the emulators test.
const ContainerFormat* Detect(const ImageBuffer& image) {
  const ContainerFormat* best = nullptr;
  int best_score = 0;
  for (const ContainerFormat* f : kContainers) {
    const int score = f->recognise(image);
    if (score > best_score) {
      best = f;
      best_score = score;
    }
  }
  return best;
}

std::uint8_t SizeCodeOf(int size) {
  return static_cast<std::uint8_t>(size == 128 ? 0 : size == 256 ? 1 : size == 512 ? 2 : 3);
}

Disk ReadDisk(const ImageBuffer& image, bool check_data) {
  Disk disk;
  disk.image = image;
  const ContainerFormat* format = Detect(image);
  if (format == nullptr) {
    disk.error = CutJv3Header(image)
                     ? "the file ends inside the JV3 header, at byte " +
                           std::to_string(image.size()) + " of " + std::to_string(jv3::kDataStart)
                     : NoneRecognised();
    return disk;
  }
  disk.container = format->kind;
  if (image.size() > format->most_bytes) {
    disk.error = format->most_bytes == kMostFloppyBytes
                     ? "it is larger than 64 MiB, too large to be a disk image"
                     : "it is larger than " + std::to_string(format->most_bytes) +
                           " bytes, too large to be a " + std::string(format->name) + " image";
    return disk;
  }
  format->read(image, disk, check_data);
  return disk;
}

Offset MostImageBytes() {
  Offset most = 0;
  for (const ContainerFormat* f : kContainers) most = std::max(most, f->most_bytes);
  return most;
}

std::vector<std::uint8_t> SectorData(const Disk& disk, const Sector& s) {
  if (s.written >= 0) return disk.written[static_cast<std::size_t>(s.written)];
  if (!s.has_data()) return {};
  if (disk.state) return disk.state->Data(disk, s);
  std::vector<std::uint8_t> data(s.size);
  disk.image.Read(s.data_offset, data.data(), data.size());
  return data;
}

Check DataCrc(const Disk& disk, const Sector& s) {
  if (s.data_crc != Check::kUnchecked || !disk.state) return s.data_crc;
  return disk.state->DataCrc(disk, s);
}

void PutSectorData(Disk& disk, std::size_t index, std::span<const std::uint8_t> data) {
  Sector& s = disk.sectors[index];
  if (s.written < 0) {
    s.written = static_cast<std::int32_t>(disk.written.size());
    disk.written.emplace_back();
  }
  disk.written[static_cast<std::size_t>(s.written)].assign(data.begin(), data.end());
  s.data_crc = Check::kGood;
}

Counts CountSectors(const Disk& disk) {
  Counts c;
  c.total = static_cast<int>(disk.sectors.size());
  for (const Sector& s : disk.sectors) {
    c.single_density += s.density == Density::kSingle;
    c.id_crc_errors += s.id_crc == Check::kBad;
    c.data_crc_errors += s.data_crc == Check::kBad;
    c.without_data += !s.has_data();
  }
  return c;
}

const char* ContainerName(Container container) {
  return container == Container::kNone ? "" : FormatOf(container).name.data();
}

}  // namespace trivane::disk
