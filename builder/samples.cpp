#include "builder/samples.h"

#include "builder/cpm_images.h"
#include "builder/dos_images.h"
#include "builder/fat_images.h"
#include "builder/sector_images.h"
#include "disk/container.h"

namespace trivane::build {
namespace {

Bytes NewdosJv1(int tracks) {
  Bytes image = Jv1(tracks);
  PutSystemSector(image, jv1::kSystemSector,
                  {.ddsl = 17, .ti_tsr = 0x04, .tc = 40, .spt = 10, .gpl = 2, .ddga = 2});
  return image;
}

Bytes NewdosJv3(int tracks) {
  Bytes image = Jv3(Jv3Disk(tracks, 2, 18, true));
  PutSystemSector(image, Jv3DataOffset(2),
                  {.ddsl = 17, .ti_tsr = 0x24, .tc = 40, .spt = 36, .gpl = 2, .ddga = 2});
  return image;
}

// Double-sided, numbered from 1, the directory track's sectors marked F8.
Bytes NewdosDmk(int tracks) {
  DmkImage dmk(dmk::kDoubleTrack, tracks, true);
  for (int t = 0; t < tracks; ++t) {
    for (int side = 0; side < 2; ++side) {
      std::vector<DmkId> ids;
      for (int n = 1; n <= 18; ++n)
        ids.push_back({t, side, n, std::uint8_t(t == 17 ? 0xF8 : 0xFB)});
      dmk.AddBlock(ids);
    }
  }
  PutSystemSector(
      dmk.bytes(), dmk.DataOffset(dmk::kHeaderBytes, 2),
      {.ddsl = 17, .ti_tsr = 0x05, .tc = 80, .spt = 36, .gpl = 2, .option = 4, .ddga = 2});
  dmk.PutDataCrc(dmk.DataOffset(dmk::kHeaderBytes, 2));
  return dmk.bytes();
}

// Track 0 in single density, the rest in double.
Bytes DualDensityJv3(int tracks) {
  std::vector<Jv3Entry> entries = Jv3Disk(tracks, 1, 18, true);
  for (int n = 0; n < 10; ++n) entries[n] = {0, n, Jv3Flags(0, false)};
  entries.erase(entries.begin() + 10, entries.begin() + 18);
  return Jv3(entries);
}

Bytes RealDiskDmk(int tracks) {
  Bytes image = Dmk(dmk::kDoubleTrack, tracks, 1, 18);
  image[12] = 0x78, image[13] = 0x56, image[14] = 0x34, image[15] = 0x12;
  return image;
}

// Single density written with every byte twice: the ID mark reads FE FE.
Bytes DoubleByteDmk(int tracks) {
  Bytes image = Dmk(dmk::kSingleTrack, tracks, 1, 10);
  const Offset mark = dmk::kHeaderBytes + DmkImage(dmk::kSingleTrack).IdOffset(0);
  image[mark + 1] = 0xFE;
  return image;
}

// As imaging tools write single density: every byte twice. Mixed: track 0
// in single density, the rest double, with the damage real disks show (a
// data CRC error, an ID CRC error, an ID without data, a deleted mark).
Bytes DoubledDmk(int cylinders, bool mixed) {
  return DmkWithFields(dmk::kDoubleTrack, cylinders, 1, 0, [&](int c, int) {
    const bool dd = mixed && c > 0;
    std::vector<DmkField> fields;
    for (int n = 0; n < (dd ? 18 : 10); ++n) {
      fields.push_back({.cylinder = c, .sector = n, .double_density = dd});
    }
    if (mixed && c == 5) {
      fields[3].bad_data_crc = true;
      fields[4].bad_id_crc = true;
      fields[5].dam = 0;
      fields[6].dam = 0xF8;
    }
    return fields;
  });
}

Bytes DosSample(const DosDisk& disk, bool dmk) {
  const DosSectors sectors = LayOut(disk);
  return dmk ? DosDmk(disk, sectors) : DosJv3(disk, sectors);
}

// 80 cylinders (or fewer for a seed), two heads, track 0 in single density,
// CRC errors in files.
Bytes BigNewdos(bool gdos, bool other_drives = false, int cylinders = 80) {
  DosDisk d = BigNewdosDisk(gdos);
  d.other_drives = other_drives;
  d.layout.cylinders = cylinders;
  return DosDmk(d, LayOut(d), BigNewdosBadSectors());
}

// A NEWDOS/80 disk as JV1: single density, 10 sectors a track, one head.
DosDisk NewdosSingleDensity() {
  DosDisk d = NewdosDisk(1, 2, true, false);
  d.double_density = false;
  d.layout.spt = 10;
  d.layout.dir_first = 17 * 2 * 5;
  return d;
}

// A DOS disk of a few cylinders and four files: a seed for fuzzing.
DosDisk Smaller(DosDisk d, int cylinders) {
  d.layout.cylinders = cylinders;
  d.files.resize(4);
  return d;
}

// A header table whose sectors' data is missing.
Bytes HeaderOnlyJv3() {
  Bytes image = Jv3(Jv3Disk(2, 1, 10, false));
  image.resize(jv3::kDataStart);
  return image;
}

// A Model I CP/M disk (Omikron's format) of that many cylinders, with a
// program, a text file and a file of a user other than 0.
Bytes CpmSample(int cylinders) {
  const CpmSpec omikron{cylinders, 1, 18, 128, 1, 3, 1024, 64, 4, false};
  Bytes text;
  for (const char* line : {"HELLO FROM CP/M\r\n", "A SECOND LINE\r\n"}) {
    text.insert(text.end(), line, line + std::char_traits<char>::length(line));
  }
  text.push_back(0x1A);
  Bytes program(1000);
  for (std::size_t k = 0; k < program.size(); ++k) program[k] = static_cast<std::uint8_t>(k * 5);
  const disk::Disk d = CpmDisk(
      omikron, {{0, "HELLO", "TXT", text}, {0, "PROG", "COM", program}, {2, "NOTES", "DOC", text}});
  return disk::FormatOf(disk::Container::kDmk).write(d, {}).bytes;
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

}  // namespace

std::vector<Sample> Samples() {
  return {
      {"jv1-35track.dsk", Jv1(35)},
      {"jv1-newdos80.dsk", NewdosJv1(40)},
      {"jv3-sssd.dsk", Jv3(Jv3Disk(40, 1, 10, false))},
      {"jv3-dsdd.dsk", Jv3(Jv3Disk(40, 2, 18, true))},
      {"jv3-dual-density.dsk", DualDensityJv3(40)},
      {"jv3-newdos80.dsk", NewdosJv3(40)},
      {"dmk-sssd.dmk", Dmk(dmk::kSingleTrack, 40, 1, 10)},
      {"dmk-dsdd.dmk", Dmk(dmk::kDoubleTrack, 40, 2, 18)},
      {"dmk-from-1.dmk", Dmk(dmk::kSingleTrack, 35, 1, 10, 1)},
      {"dmk-newdos80.DMK", NewdosDmk(80)},
      {"dmk-real-disk.dmk", RealDiskDmk(40)},
      {"dmk-doubled-sd.dmk", DoubledDmk(40, false)},
      {"dmk-mixed-damaged.dmk", DoubledDmk(40, true)},
      {"dos-newdos80.dsk", DosSample(NewdosDisk(2, 2, true, false), false)},
      {"dos-newdos80-data.dmk", DosSample(NewdosDisk(1, 3, false, true), true)},
      {"dos-trsdos23.dsk", DosSample(TrsdosDisk(0), false)},
      {"dos-ldos.dmk", DosSample(TrsdosDisk(0x51), true)},
      {"dos-model3.dsk", DosSample(Model3Disk(), false)},
      {"dos-ldos53-sd.dmk", DosSample(Ldos53DataDisk(false), true)},
      {"dos-ldos53-dd.dsk", DosSample(Ldos53DataDisk(true), false)},
      {"dos-trsdos23-data.dsk", DosSample(Trsdos23DataDisk(), false)},
      {"dos-newdos80-big.dmk", BigNewdos(false)},
      {"dos-gdos-big.dmk", BigNewdos(true)},
      {"cpm-omikron.dmk", CpmSample(35)},
      {"notes.dsk", Text("These are my disk notes.\r\nGAME.DSK is the 1980 version.\r\n")},
  };
}

std::vector<Sample> Seeds() {
  return {
      {"jv1", Jv1(3)},
      {"jv1-newdos80", NewdosJv1(3)},
      {"jv3-sssd", Jv3(Jv3Disk(3, 1, 10, false))},
      {"jv3-dsdd", Jv3(Jv3Disk(2, 2, 18, true))},
      {"jv3-dsdd-sides-apart", Jv3(Jv3Disk(2, 2, 18, true, true))},
      {"jv3-dual-density", DualDensityJv3(2)},
      {"jv3-newdos80", NewdosJv3(2)},
      {"jv3-header-only", HeaderOnlyJv3()},
      {"dmk-sssd", Dmk(dmk::kSingleTrack, 3, 1, 10)},
      {"dmk-dsdd", Dmk(dmk::kDoubleTrack, 2, 2, 18)},
      {"dmk-6528", Dmk(dmk::kDoubleTrackLong, 2, 1, 18)},
      {"dmk-from-1", Dmk(dmk::kSingleTrack, 3, 1, 10, 1)},
      {"dmk-newdos80", NewdosDmk(2)},
      {"dmk-real-disk", RealDiskDmk(1)},
      {"dmk-double-byte", DoubleByteDmk(1)},
      {"dmk-doubled-sd", DoubledDmk(2, false)},
      {"dmk-mixed-damaged", DoubledDmk(6, true)},
      {"dos-trsdos23", DosSample(Smaller(TrsdosDisk(0), 18), false)},
      {"dos-newdos80", DosSample(Smaller(NewdosDisk(1, 2, true, false), 8), false)},
      {"dos-model3", DosSample(Smaller(Model3Disk(), 18), false)},
      {"dos-ldos53-sd", DosSample(Smaller(Ldos53DataDisk(false), 21), true)},
      {"dos-ldos53-dd", DosSample(Smaller(Ldos53DataDisk(true), 21), false)},
      {"dos-trsdos23-data", DosSample(Smaller(Trsdos23DataDisk(), 18), false)},
      {"dos-newdos80-deleted", BigNewdos(true, false, 12)},
      {"cpm-omikron", CpmSample(6)},
      {"msdos", disk::FormatOf(disk::Container::kDmk).write(FatImage(4).Disk(), {}).bytes},
      {"text", Text("10 PRINT \"HELLO\"\r\n")},
      {"empty", {}},
  };
}

namespace {

// Kinds 0, 1, 5..7, 10, 11, 15 and 16 of the mix: DOS disks of that many
// cylinders, their PDRIVE tables naming other drives; empty for other kinds.
Bytes BenchDos(int kind, int tracks) {
  auto dos = [&](DosDisk d, Bytes (*write)(const DosDisk&, const DosSectors&)) {
    d.layout.cylinders = tracks;
    d.other_drives = true;
    return write(d, LayOut(d));
  };
  const auto dmk = [](const DosDisk& d, const DosSectors& s) { return DosDmk(d, s); };
  switch (kind) {
    case 0:
      return dos(NewdosSingleDensity(), DosJv1);
    case 1:
      return dos(TrsdosDisk(0), DosJv1);
    case 5:
      return dos(TrsdosDisk(0), DosJv3);
    case 6:
      return dos(Ldos53DataDisk(true), DosJv3);
    case 7:
      return dos(Model3Disk(), DosJv3);
    case 10:
      return dos(Ldos53DataDisk(false), dmk);
    case 11:
      return dos(Trsdos23DataDisk(), dmk);
    case 15:
      return dos(TrsdosDisk(0x51), dmk);
    case 16:
      return dos(NewdosDisk(1, 3, false, true), dmk);
    default:
      return {};
  }
}

// The other kinds: plain images, and the 1 MB NEWDOS/80 and G-DOS disks.
Bytes BenchPlain(int kind, int n, int tracks) {
  switch (kind) {
    case 2:
    case 3:
      return Jv1(tracks);
    case 4:
      return NewdosJv1(tracks);
    case 8:
      return Jv3(Jv3Disk(tracks, 1, 10, false));
    case 9:
      return Jv3(Jv3Disk(tracks, 2, 18, true));
    case 12:
      return DoubledDmk(tracks, false);
    case 13:
      return BigNewdos(false, true);
    case 14:
      return BigNewdos(true, true);
    case 17:
      return Dmk(dmk::kDoubleTrack, tracks, n % 2 + 1, 18);
    case 18:
      return Dmk(dmk::kSingleTrack, tracks, 1, 10);
    default:
      return NewdosDmk(tracks);
  }
}

}  // namespace

// A mix like a real collection: a quarter JV1, a quarter JV3, half DMK (a
// third of those single density with every byte doubled); more than half DOS
// disks, a tenth with CRC errors inside files.
Sample BenchImage(int n) {
  const int tracks = 35 + (n * 7) % 46;  // 35 to 80
  const int kind = n % 20;
  const std::string name = "image-" + std::to_string(n) + (kind >= 10 ? ".dmk" : ".dsk");
  Bytes bytes = BenchDos(kind, tracks);
  return {name, bytes.empty() ? BenchPlain(kind, n, tracks) : std::move(bytes)};
}

}  // namespace trivane::build
