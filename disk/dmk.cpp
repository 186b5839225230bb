// DMK (layout in formats/dmk.h): recognised by its header, and read: each
// track block is copied out of the image once and read as the circle it is,
// through its pointer table; single-density fields step by two where their
// bytes are doubled. The writer is in dmk_write.cpp.
#include "formats/dmk.h"

#include <algorithm>

#include "disk/container.h"
#include "disk/dmk_state.h"
#include "formats/crc16.h"

namespace trivane::disk {

// An offset in a block of the length, read round its end: past the end it
// goes on at offset 128, the first byte after the pointer table; before 128
// it comes from the end.
Offset WrapInBlock(Offset at, Offset length) {
  const Offset circle = length - dmk::kPointerTableBytes;
  if (at >= length) return dmk::kPointerTableBytes + (at - dmk::kPointerTableBytes) % circle;
  return at < dmk::kPointerTableBytes && at >= 0 ? at + circle : at;
}

namespace {

// The header of an emulator's DMK: a write-protect byte, a track length
// that holds the pointer table, bytes 12..15 zero; or the signature of a
// file that stands for a real drive.
bool DmkHeaderShown(const ImageBuffer& image, bool& real_drive) {
  const int length = image.at(dmk::kTrackLengthAt) | image.at(dmk::kTrackLengthAt + 1) << 8;
  const int wp = image.at(0);
  bool zero = true, signature = true;
  for (int i = 0; i < 4; ++i) {
    zero = zero && image.at(dmk::kRealDiskAt + i) == 0;
    signature = signature && image.at(dmk::kRealDiskAt + i) == dmk::kRealDiskSignature[i];
  }
  real_drive = signature;
  return image.size() >= dmk::kHeaderBytes && (wp == 0x00 || wp == 0xFF) &&
         length > dmk::kPointerTableBytes && length <= dmk::kMaxTrackLength && (zero || signature);
}

// One track block as read.
class TrackBlock {
 public:
  TrackBlock(const std::uint8_t* bytes, Offset length) : bytes_(bytes), length_(length) {}
  Offset length() const { return length_; }
  Offset Wrap(Offset at) const { return at < length_ ? at : WrapInBlock(at, length_); }
  std::uint8_t at(Offset offset) const { return bytes_[Wrap(offset)]; }
  // The count bytes from offset when they lie before the end; nullptr when
  // they run round it.
  const std::uint8_t* Run(Offset offset, Offset count) const {
    return offset >= 0 && offset + count <= length() ? bytes_ + offset : nullptr;
  }
  int Pointer(int i) const { return at(2 * i) | at(2 * i + 1) << 8; }

 private:
  const std::uint8_t* bytes_;
  Offset length_;
};

// A field's logical (undoubled) bytes, from its address mark on.
struct Field {
  const TrackBlock& block;
  Offset mark;  // offset of the mark in the block
  int step;     // 2 where the bytes are doubled

  std::uint8_t operator[](int k) const { return block.at(mark + Offset{k} * step); }
  // The CRC of logical bytes from..from+count, from the density's preset.
  std::uint16_t Crc(std::uint16_t preset, int from, int count) const {
    if (const std::uint8_t* run = block.Run(mark + Offset{from} * step, Offset{count} * step)) {
      return step == 1 ? crc16::Add(preset, run, static_cast<std::size_t>(count))
                       : crc16::AddDoubled(preset, run, static_cast<std::size_t>(count));
    }
    std::uint16_t crc = preset;
    for (int k = from; k < from + count; ++k) crc = crc16::Add(crc, (*this)[k]);
    return crc;
  }
};

void ReadSector(const Field& id, bool double_density, Offset block_start, bool check_data,
                Sector& s) {
  const std::uint16_t preset = double_density ? crc16::kDoubleDensityPreset : crc16::kPreset;
  s.density = double_density ? Density::kDouble : Density::kSingle;
  s.id_cylinder = id[1];
  s.id_head = id[2];
  s.id_sector = id[3];
  s.size_code = id[4] & 3;
  s.size = static_cast<std::uint16_t>(128 << s.size_code);
  s.id_crc = id.Crc(preset, 0, dmk::kIdFieldBytes) == 0 ? Check::kGood : Check::kBad;
  const int window = double_density ? dmk::kDoubleDataMarkWindow : dmk::kSingleDataMarkWindow;
  for (int k = dmk::kIdFieldBytes; k < dmk::kIdFieldBytes + window; ++k) {
    const int b = id[k];
    if (b < dmk::kLowestDataMark || b > dmk::kHighestDataMark) continue;
    s.dam = static_cast<std::uint8_t>(b);
    s.data_offset = block_start + id.block.Wrap(id.mark + Offset{k + 1} * id.step);
    s.data_crc = !check_data                              ? Check::kUnchecked
                 : id.Crc(preset, k, 1 + s.size + 2) == 0 ? Check::kGood
                                                          : Check::kBad;
    return;
  }
}

// Reads the sectors of one block; says what in its pointer table is damaged.
void ReadBlock(const TrackBlock& block, Offset block_start, int index, int heads, bool doubling,
               bool check_data, Disk& disk) {
  for (int i = 0; i < dmk::kPointers; ++i) {
    const int pointer = block.Pointer(i);
    if (pointer == 0 || pointer == dmk::kTableEnd) break;
    const Offset mark = pointer & dmk::kPointerOffsetMask;
    if (mark < dmk::kPointerTableBytes || mark >= block.length() ||
        block.at(mark) != dmk::kIdMark) {
      disk.problems.push_back("cylinder " + std::to_string(index / heads) + " head " +
                              std::to_string(index % heads) + ": pointer " + std::to_string(i) +
                              " (" + HexByte(pointer >> 8) + HexByte(pointer) +
                              ") does not lead to an ID address mark");
      continue;
    }
    const bool double_density = (pointer & dmk::kDoubleDensityFlag) != 0;
    Sector s;
    s.cylinder = static_cast<std::uint16_t>(index / heads);
    s.head = static_cast<std::uint8_t>(index % heads);
    ReadSector({block, mark, !double_density && doubling ? 2 : 1}, double_density, block_start,
               check_data, s);
    disk.sectors.push_back(s);
  }
}

}  // namespace

// A header naming more cylinders than a drive has is surely something
// else's bytes (a JV1 boot sector starting 00 FE names 254).
int RecogniseDmk(const ImageBuffer& image) {
  bool real_drive = false;
  if (!DmkHeaderShown(image, real_drive)) return 0;
  if (real_drive) return 90;
  return image.at(dmk::kCylindersAt) > dmk::kMostCylinders ? 20 : 60;
}

void ReadDmk(const ImageBuffer& image, Disk& disk, bool check_data) {
  bool real_drive = false;
  DmkHeaderShown(image, real_drive);
  if (real_drive) {
    disk.error = "a DMK file that stands for a real drive: it holds no sectors";
    return;
  }
  disk.write_protected = image.at(0) == dmk::kWriteProtected;
  const int options = image.at(dmk::kOptionsAt);
  const Offset length = image.at(dmk::kTrackLengthAt) | image.at(dmk::kTrackLengthAt + 1) << 8;
  const bool doubling = (options & (dmk::kOptionSingleDensity | dmk::kOptionIgnoreDensity)) == 0;
  disk.heads = (options & dmk::kOptionSingleSided) ? 1 : 2;
  auto state = std::make_shared<DmkState>();
  state->block_start = dmk::kHeaderBytes;
  state->block_length = length;
  state->options = options;
  const Offset held = (image.size() - dmk::kHeaderBytes + length - 1) / length;
  const Offset named = Offset{image.at(dmk::kCylindersAt)} * disk.heads;
  const Offset blocks = std::min(held, named);
  if (held < named) {
    disk.problems.push_back("the header names " + std::to_string(named / disk.heads) +
                            " cylinders; the file holds " + std::to_string(held) + " track blocks");
  }
  if (blocks > 0 && dmk::kHeaderBytes + blocks * length > image.size()) {
    disk.problems.push_back("the file ends inside its last track block");
  }
  disk.cylinders = static_cast<int>((blocks + disk.heads - 1) / disk.heads);
  // Every block in one read; what the file does not hold reads as 0. The
  // buffer goes from image to image on a thread once the disk before is
  // gone: a listing of many images would otherwise ask the system for fresh
  // pages for each. Not with MinGW, whose threads may end by destroying a
  // thread-local object after its storage was freed (a crash as the
  // program ends, its last output lost): there each disk has its own.
#ifdef __MINGW32__
  auto spare = std::make_shared<std::vector<std::uint8_t>>();
#else
  thread_local std::shared_ptr<std::vector<std::uint8_t>> spare;
  if (!spare || spare.use_count() > 1) spare = std::make_shared<std::vector<std::uint8_t>>();
#endif
  std::vector<std::uint8_t>& bytes = *spare;
  bytes.resize(static_cast<std::size_t>(std::max<Offset>(blocks, 0) * length));
  image.Read(dmk::kHeaderBytes, bytes.data(), bytes.size());
  state->blocks = spare;
  disk.state = state;
  disk.sectors.reserve(static_cast<std::size_t>(blocks) * 18);
  for (Offset b = 0; b < blocks; ++b) {
    ReadBlock(TrackBlock(bytes.data() + b * length, length), dmk::kHeaderBytes + b * length,
              static_cast<int>(b), disk.heads, doubling, check_data, disk);
  }
}

bool DmkState::Doubling() const {
  return (options & (dmk::kOptionSingleDensity | dmk::kOptionIgnoreDensity)) == 0;
}

std::uint8_t DmkState::FieldByte(const Disk& disk, const Sector& s, Offset k) const {
  const Offset start = block_start + BlockOf(s) * block_length;
  const Offset at = start +
                    WrapInBlock(s.data_offset - start + k * (Doubled(s) ? 2 : 1), block_length) -
                    block_start;
  return blocks && at >= 0 && at < static_cast<Offset>(blocks->size())
             ? (*blocks)[static_cast<std::size_t>(at)]
             : disk.image.at(at + block_start);
}

const std::uint8_t* DmkState::FieldRun(const Sector& s, Offset k, Offset count) const {
  if (!blocks || !s.has_data()) return nullptr;
  const Offset step = Doubled(s) ? 2 : 1;
  const Offset block = BlockOf(s) * block_length;
  const Offset at = s.data_offset - block_start - block + k * step;
  if (at < 0 || at + count * step > block_length ||
      block + block_length > static_cast<Offset>(blocks->size())) {
    return nullptr;
  }
  return blocks->data() + block + at;
}

std::vector<std::uint8_t> DmkState::Data(const Disk& disk, const Sector& s) const {
  std::vector<std::uint8_t> data(s.size);
  if (const std::uint8_t* run = FieldRun(s, 0, s.size)) {
    if (!Doubled(s)) {
      std::copy(run, run + data.size(), data.begin());
    } else {
      for (std::size_t k = 0; k < data.size(); ++k) data[k] = run[2 * k];
    }
    return data;
  }
  for (std::size_t k = 0; k < data.size(); ++k) {
    data[k] = FieldByte(disk, s, static_cast<Offset>(k));
  }
  return data;
}

// The data field: the DAM, the data and its CRC.
Check DmkState::DataCrc(const Disk& disk, const Sector& s) const {
  std::uint16_t crc = s.density == Density::kDouble ? crc16::kDoubleDensityPreset : crc16::kPreset;
  const Offset count = s.size + 3;
  if (const std::uint8_t* run = FieldRun(s, -1, count)) {
    const auto n = static_cast<std::size_t>(count);
    crc = Doubled(s) ? crc16::AddDoubled(crc, run, n) : crc16::Add(crc, run, n);
  } else {
    for (Offset k = -1; k < s.size + 2; ++k) crc = crc16::Add(crc, FieldByte(disk, s, k));
  }
  return crc == 0 ? Check::kGood : Check::kBad;
}

const DmkState* DmkStateOf(const Disk& disk) {
  return dynamic_cast<const DmkState*>(disk.state.get());
}

// The container's row (disk/container.h).
extern constexpr ContainerFormat kDmkRow = {
    Container::kDmk,
    "DMK",
    "dmk",
    "TRS-80 DMK disk image",
    "every sector as a controller reads it: single and double density on one track, every "
    "data mark, every size, CRC errors and ID fields without data",
    "*.dmk",
    "application/x-trs80-dmk",
    "*.dmk *.dsk",
    "<match type=\"big32\" offset=\"12\" value=\"0x00000000\">\n"
    "        <match type=\"byte\" offset=\"0\" value=\"0x00\"/>\n"
    "        <match type=\"byte\" offset=\"0\" value=\"0xff\"/>\n"
    "      </match>",
    50,
    0,
    true,
    false,
    kMostFloppyBytes,
    "header",
    RecogniseDmk,
    ReadDmk,
    WriteDmk};

}  // namespace trivane::disk
