#!/usr/bin/env bash
# Plants small faults in identification and the sector locator, the cells, the tapes,
# the host file writer, the sector reader and writers (HFE and IMD among
# them), the DOS catalogue, zip archives, flux, the shelf, the views (BASIC,
# load modules, Z80) and the tools, one at a time from a fixed list, rebuilds
# the core and tool tests in build-mutate/ and counts the faults they catch,
# per folder. Every source file is restored afterwards.
# Usage: scripts/mutate.sh [-v] [FOLDER...]   (-v names each fault and what
# became of it; FOLDERs plant only the faults in those folders)
set -euo pipefail
source "$(dirname "$0")/common.sh"
verbose=""
if [ "${1:-}" = "-v" ]; then verbose=-v; shift; fi
only=" $* "
cmake -S . -B build-mutate -DCMAKE_BUILD_TYPE=Release -DTRIVANE_WINDOW=OFF >/dev/null
cmake --build build-mutate -j"$(nproc)" --target core_tests tool_tests >/dev/null

# file | the text as it stands | the fault. The text's first occurrence is replaced.
faults=$(cat <<'EOF'
formats/image_buffer.h|offset >= 0 && offset < resident_|offset >= 0 && offset <= resident_
formats/image_buffer.cpp|index + count < pages.size() && !pages[index + count]|index + count < pages.size()
formats/image_buffer.cpp|count * kPageBytes, size - start|count * kPageBytes - 1, size - start
fs/fat/unit.cpp|if (s.cylinder == 0 && !Blank(disk::SectorData(disk_, s))) return;|if (s.cylinder == 1 && !Blank(disk::SectorData(disk_, s))) return;
fs/fat/unit.cpp|if (directories < 2) return;|if (directories < 1) return;
fs/fat/unit.cpp|if (beat < 1) WithoutBoot();|if (beat < 2) WithoutBoot();
tape/programs.cpp|(sum & 0xFF) == b[data + count]|(sum & 0x7F) == b[data + count]
tape/cas.cpp|if (bit(first) != 0) unframed.push_back(g);|if (bit(first) == 0) unframed.push_back(g);
tape/cas.cpp|if (++filled == 8)|if (++filled == 9)
tape/programs.cpp|b[at + 1] != 0 ? b[at + 1] : 256;|b[at + 1] != 1 ? b[at + 1] : 256;
tape/wav.cpp|p.leader = (s.leader_bits + 4) / 8;|p.leader = s.leader_bits / 8;
tape/wav_decode.cpp|if (quiet >= quiet_needed && at - last >= dead)|if (at - last >= dead)
identification/identify_image.cpp|r.byte(1) != jv1::kBootByte1|r.byte(1) == jv1::kBootByte1
identification/identify_image.cpp|(r.fileend + jv1::kTrackBytes - 1) / jv1::kTrackBytes|r.fileend / jv1::kTrackBytes
identification/identify_image.cpp|r.trksecs.assign(kMinTrackTable, 0);|r.trksecs.resize(kMinTrackTable, 0);
identification/identify_image.cpp|r.firstsecnum = 0;|r.firstsecnum = 1;
identification/identify_image.cpp|if (probe == Probe::kNotFound) return;|if (probe == Probe::kNotFound) {}
identification/identify_image.cpp|  } else if (jv1) {|  } else if (!jv1) {
identification/dmk_scan.cpp|r.byte(kFirstBlock + p + 1) == kIdMark|r.byte(kFirstBlock + p + 2) == kIdMark
identification/dmk_scan.cpp|if (p == 0) break;|if (p == 1) break;
identification/dmk_scan.cpp|r.byte(block + p + 2) == 1|r.byte(block + p + 1) == 1
identification/dmk_scan.cpp|k < kSideScanBlocks|k < 2
identification/dmk_scan.cpp|twice_rest > track_bytes|twice_rest >= track_bytes
identification/dmk_scan.cpp|q % 2 == 1|q % 2 == 0
identification/dmk_scan.cpp|int lowest = 30;|int lowest = 40;
identification/dmk_scan.cpp|lowest > 0;|lowest > 1;
identification/dmk_scan.cpp|r.spg = 6;|r.spg = 5;
identification/dmk_scan.cpp|r.tracks + 1 > static_cast<int>(r.trksecs.size())|r.tracks > static_cast<int>(r.trksecs.size())
identification/jv3_scan.cpp|r.fileend >= 10|r.fileend >= 9
identification/jv3_scan.cpp|r.byte(6) == first|r.byte(5) == first
identification/jv3_scan.cpp|if (track == jv3::kFreeTrack) break;|if (track == jv3::kFreeTrack) continue;
identification/jv3_scan.cpp|if (track < last_track) r.tracksideflag = 1;|if (track <= last_track) r.tracksideflag = 1;
identification/jv3_scan.cpp|if (bit != previous_bit) r.dens = 3;|if (bit == previous_bit) r.dens = 3;
identification/jv3_scan.cpp|r.spg = r.spt == 18 ? 6 : 5;|r.spg = r.spt == 10 ? 6 : 5;
identification/jv3_scan.cpp|highest_track < 0 ? 2 : highest_track + 1|highest_track < 0 ? 2 : highest_track
identification/system_probe.cpp|r.SecToFind = r.firstsecnum == 1 ? 3 : 2;|r.SecToFind = r.firstsecnum == 1 ? 2 : 3;
identification/system_probe.cpp|for (int track : {0, 1}) {|for (int track : {0}) {
identification/system_probe.cpp|r.sda = r.sides == 2 ? "  D/Sided" : "  S/Sided";|r.sda = r.sides == 1 ? "  D/Sided" : "  S/Sided";
identification/system_probe.cpp|if (r.dens == 2) r.dd = "   D/Density";|if (r.dens == 3) r.dd = "   D/Density";
identification/newdos_report.cpp|if (t == 20) return 'E';|if (t == 24) return 'E';
identification/newdos_report.cpp|if (t & 8) return 'D';|if (t & 16) return 'D';
identification/newdos_report.cpp|return (option & 4) ? 'L' : ' ';|return (option & 2) ? 'L' : ' ';
identification/newdos_report.cpp|    case 18:|    case 16:
identification/newdos_report.cpp|"  TSR =" + NumberText(b2 & 3)|"  TSR =" + NumberText(b2 & 7)
identification/newdos_report.cpp|r.SecToFind = r.firstsecnum == 1 ? 1 : 0;|r.SecToFind = 0;
identification/newdos_report.cpp|r.spg = 5;|r.spg = 6;
identification/find_sector.cpp|if (r.fpa >= r.fileend) {|if (r.fpa > r.fileend) {
identification/find_sector.cpp|r.fpa = jv3::DataOffset(n);\n      if (r.fpa >= r.fileend) r.errflg = 1;|r.fpa = jv3::DataOffset(n);
identification/find_sector.cpp|if (r.SideToFind == 1) block += r.trklength;|if (r.SideToFind != 0) block += r.trklength;
identification/find_sector.cpp|k < kDataMarkWindow|k < 2
identification/find_sector.cpp|r.fpa = mark + r.damindex - 3;|r.fpa = mark + r.damindex;
identification/find_sector.cpp|  ++r.fpa;\n}|}
identification/analysis_record.cpp|if (idamptr[i] == 0) break;|if (idamptr[i] == 0) continue;
identification/analysis_record.h|(byte(at + 1) & 127) * 256|(byte(at + 1) & 255) * 256
identification/disp_sector.cpp|const int multiplier = r.tracksideflag == 1 ? 1 : r.sides;|const int multiplier = r.sides;
identification/disp_sector.cpp|if (r.SecToFind >= r.TrackSectors(t)) {|if (r.SecToFind > r.TrackSectors(t)) {
identification/disp_sector.cpp|if (r.firstsecnum == 1) ++r.SecToFind;|if (r.firstsecnum == 0) ++r.SecToFind;
identification/disp_sector.cpp|r.PresSecnum >= 170 && r.PresSecnum < 180|r.PresSecnum >= 170 && r.PresSecnum <= 180
identification/disp_sector.cpp|r.PresSecnum <= r.dirstartsec + 17|r.PresSecnum <= r.dirstartsec + 18
identification/disp_sector.cpp|if (first != std::string::npos && text[first] == 'S')|if (first != std::string::npos && text[first] == 'D')
disk/dmk.cpp|if (at >= length) return dmk::kPointerTableBytes + (at - dmk::kPointerTableBytes) % circle;|if (at >= length) return (at - dmk::kPointerTableBytes) % circle;
disk/dmk_state.h|return Doubling() && s.density == Density::kSingle;|return Doubling();
disk/dmk.cpp|s.id_crc = id.Crc(preset, 0, dmk::kIdFieldBytes) == 0|s.id_crc = id.Crc(preset, 1, dmk::kIdFieldBytes) == 0
disk/dmk.cpp|s.data_offset = block_start + id.block.Wrap(id.mark + Offset{k + 1} * id.step);|s.data_offset = block_start + id.block.Wrap(id.mark + Offset{k} * id.step);
disk/dmk.cpp|const bool double_density = (pointer & dmk::kDoubleDensityFlag) != 0;|const bool double_density = (pointer & dmk::kDoubleDensityFlag) == 0;
disk/dmk.cpp|disk.heads = (options & dmk::kOptionSingleSided) ? 1 : 2;|disk.heads = 2;
disk/dmk.cpp|const Offset at = s.data_offset - block_start - block + k * step;|const Offset at = s.data_offset - block_start - block + k;
disk/jv3.cpp|s.head = s.id_head = (flags & jv3::kSide1) ? 1 : 0;|s.head = s.id_head = 0;
disk/jv3.cpp|s.data_crc = (flags & jv3::kCrcError) ? Check::kBad : Check::kNotKept;|s.data_crc = Check::kNotKept;
disk/jv3.cpp|const int size = (free ? jv3::kFreeSizes : jv3::kUsedSizes)[flags & jv3::kSizeCode];|const int size = jv3::kUsedSizes[flags & jv3::kSizeCode];
disk/dmk.cpp|image.at(dmk::kCylindersAt) > dmk::kMostCylinders ? 20 : 60|60
disk/sector_store.cpp|return ra != rb ? ra : a.second < b.second;|return a.second < b.second;
disk/sector_store.cpp|data.size() != s->size|false
disk/track_writers.cpp|crc ^= bad ? 0x0101 : 0;|
disk/track_writers.cpp|if (first == 0 && write_protected) image[jv3::kWriteProtect] = 0;|
disk/dmk_write.cpp|block[WrapInBlock(data_at + k * step + t, length)] = b;|block[WrapInBlock(data_at + k * step, length)] = b;
disk/dmk_write.cpp|state->Doubling() == doubling;|true;
disk/track_writers.cpp|f.bad_id_crc = s.id_crc == Check::kBad;|f.bad_id_crc = false;
disk/jv3.cpp|(s.head == 1 ? jv3::kSide1 : 0)|(s.head == 7 ? jv3::kSide1 : 0)
disk/jv3.cpp|DataCrc(disk, s) == Check::kBad ? jv3::kCrcError|false ? jv3::kCrcError
disk/jv1.cpp|store.At({s.cylinder, 0, s.id_sector}) != &s|false
disk/jv1.cpp|if (s.head != 0) return "head 1; JV1 holds head 0 only";|
fs/trsdos/layout.cpp|count = (b & 31) + Row().count_bias;|count = b & 31;
fs/trsdos/layout.cpp|first = unit * UnitGranules() + (b >> 5);|first = unit * UnitGranules() + (b >> 4);
fs/trsdos/layout.cpp|{Layout::Scheme::kModel3, false, "cylinder", 0, 48, 5, 13, false, true}|{Layout::Scheme::kModel3, false, "cylinder", 1, 48, 5, 13, false, true}
fs/trsdos/layout.cpp|return {dir_cylinder, index / spt, first_sector + index % spt};|return {dir_cylinder, 0, first_sector + index % spt};
fs/trsdos/directory.cpp|h ^= name11[k];|h += name11[k];
fs/trsdos/directory.cpp|return h == 0 ? 1 : h;|return h;
fs/trsdos/directory.cpp|        c.deleted.push_back(Parse(e, dec));|        if (e[0] == 0) c.deleted.push_back(Parse(e, dec));
fs/trsdos/files.cpp|static_cast<std::int64_t>(places.size()) < f.SectorsNeeded())|static_cast<std::int64_t>(places.size()) < 0)
fs/trsdos/directory.cpp|k == shape_.extent_pairs - 1 && a == 0xFE|k == shape_.extent_pairs - 2 && a == 0xFE
fs/trsdos/directory.cpp|return std::max(1, 1 + sound * 2 - entries|return std::max(0, sound * 2 - entries
fs/trsdos/directory.cpp|(sound * 2 < entries && !system_files)|(sound * 2 < entries)
fs/trsdos/files.cpp|if (static_cast<std::int64_t>(places.size()) == needed) return places;|if (static_cast<std::int64_t>(places.size()) > needed) return places;
fs/trsdos/files.cpp|{PlaceText(p), data.size() == kSectorBytes,|{PlaceText(p), true,
fs/trsdos/trsdos.cpp|std::make_pair(d.Score() > 0, -d.conflicts) >|std::make_pair(d.Score() > 0, d.conflicts) >
fs/trsdos/trsdos.cpp|dir += s.dam == marks::kDirectoryDouble|dir += s.dam == marks::kData
fs/trsdos/trsdos.cpp|return f.Shown() == "DIR/SYS" && !f.extents.empty() && f.extents[0].raw[0] == cylinder;|return f.Shown() == "DIR/SYS";
fs/trsdos/newdos80.cpp|cylinder == 1 ? 1 : 0;|cylinder == 2 ? 1 : 0;
fs/trsdos/candidates.cpp|if (x.cylinder == 1) dd += x.density == disk::Density::kDouble ? 1 : -1;|if (x.cylinder == 0) dd += x.density == disk::Density::kDouble ? 1 : -1;
ops/host_files.cpp|for (int n = 2; !taken.insert(UpperAscii(name)).second; ++n) {|for (int n = 2; !taken.insert(name).second; ++n) {
ops/extract.cpp|c == Choice::kNone) standing_ = c;|c == Choice::kYes) standing_ = c;
ops/convert.cpp|if (is_lost(key)) continue;|
ops/convert.cpp|it->second != seen|false
fs/trsdos/format.cpp|heads > r.max_heads)|heads > 9)
fs/trsdos/trsdos_format.cpp|gat[c] = c == directory ? 0xFF|gat[c] = c == -1 ? 0xFF
fs/trsdos/newdos80_format.cpp|s[newdos80::kSignatureAt] = newdos80::kSignature;|
fs/trsdos/model3_format.cpp|std::memcpy(s.data() + kSignatureAt, "(c) 1980 Tandy  ", 16);|
fs/trsdos/format_tracks.cpp|hit[Dec(1, 0)] = NameHash|hit[Dec(0, 1)] = NameHash
fs/trsdos/directory_edit.cpp|    if (Used(g) |    if (false 
fs/trsdos/directory_edit.cpp|: b & ~(1 << bit)|: b
ops/prove.cpp|made->complete != (!renamed|made->complete != (true
ops/prove.cpp|if (after->Family() != before.Family()) {|if (false) {
disk/sector_store.cpp|      s->id_crc == Check::kBad) {|      false) {
fs/trsdos/directory_edit.cpp|std::min(x.first_granule + x.granules, total)|x.first_granule + x.granules
fs/trsdos/directory.cpp|      f.entries.push_back(b);|
fs/trsdos/change_put.cpp|(!row.whole_sector_ern && size % 256 != 0 ? 1 : 0)|0
fs/trsdos/change.cpp|dir.Hit(dec) = NameHashOf(name, ext)|dir.Hit(dec) = NameHashOf(ext, name)
fs/trsdos/change_put.cpp|      e[30] = 0xFE;|      e[30] = 0xFF;
fs/trsdos/directory.cpp|d_.sound += hashed && d_.conflicts == conflicts && names.insert(f.Shown()).second;|d_.sound += hashed;
fs/trsdos/detect.cpp|  if (InsideAFileOf(a, b) && !InsideAFileOf(b, a)) {|  if (false) {
fs/trsdos/detect.cpp|  if (!a_owns && b_owns) return|  if (false) return
fs/trsdos/trsdos.cpp|if (f.system && f.Shown() != "DIR/SYS") system.push_back(&f);|if (f.Shown() != "DIR/SYS") system.push_back(&f);
cells/encode.cpp|(!bit && !prev ? 2 : 0)|(!bit ? 2 : 0)
cells/encode.cpp|Mfm(value, value == 0xC2 ? 0x0080 : 0x0020);|Mfm(value, value == 0xC2 ? 0x0080 : 0x0040);
cells/encode.cpp|Fm(value, value == 0xFC ? 0xD7 : 0xC7);|Fm(value, 0xD7);
cells/encode.cpp|for (int k = 15; k >= 0; --k) Push((cells >> k) & 1);|for (int k = 15; k > 0; --k) Push((cells >> k) & 1);
cells/decode.cpp|at_ = (at_ + 2) % cells_.size();|at_ = (at_ + 2);
cells/decode.cpp|f.id_crc_ok = crc16::Add(preset, id, 5) == stored;|f.id_crc_ok = true;
cells/decode.cpp|f.data_crc_ok = crc == stored;|f.data_crc_ok = true;
cells/decode.cpp|if (seek != Seek::kMfm && ((window >> 16) & 0xFFFF) == kFmZero) {|if (seek != Seek::kMfm) {
cells/decode.cpp|return (encoding == Encoding::kMfm ? 43 + 4 : 30 + 1) * std::size_t{16};|return (encoding == Encoding::kMfm ? 43 + 4 : 3) * std::size_t{16};
cells/decode.cpp|bool FirstRound(std::size_t i) const { return i - 63 < n_; }|bool FirstRound(std::size_t i) const { return i < n_; }
cells/decode.cpp|fields[open_].encoding == found->encoding &&|true &&
fs/filesystem.cpp|if (bytes.bytes.empty() && size > 0) return "its extents hold none of its sectors";|
fs/filesystem.cpp|  if (force) return {};|
fs/filesystem.cpp|(d.as_read ? ": given as read, it failed its CRC"|(!d.as_read ? ": given as read, it failed its CRC"
ops/filesystems.cpp|if (best != nullptr) return best;|if (best == nullptr) return best;
ops/prove.cpp|(!f.directory && before.Read(f).bytes != after.Read(*g).bytes)|(!f.directory && false)
fs/cpm/params.cpp|pos = (pos + skew) % spt;|pos = (pos + skew + 1) % spt;
fs/cpm/directory.cpp|return (e[12] & p.Exm()) * kRecord + e[15];|return e[15];
fs/cpm/directory.cpp|return (e[14] & 0x3F) * 32 + (e[12] & 31);|return e[12] & 31;
fs/cpm/directory.cpp|if (x.first > next && !f.deleted) {|if (x.first > next + 1 && !f.deleted) {
fs/cpm/detect.cpp|&& t.bad * 10 <= t.used;|;
fs/cpm/volume.cpp|place = {cylinder, head, first + skew_[static_cast<std::size_t>(n % p_.spt)]};|place = {cylinder, head, first + static_cast<int>(n % p_.spt)};
fs/cpm/change.cpp|e[0] = static_cast<std::uint8_t>(n.user);|e[0] = 0;
fs/cpm/unit.cpp|if (f.kind != "unreadable") {|if (false) {
ops/prove.cpp|if (--count[f.kind] < 0)|if (--count[f.kind] < -1)
ops/prove.cpp|fs1.Read(*made).bytes != meant|false
ops/prove.cpp|if (e1.size() != e0.size() + more)|if (false)
fs/trsdos/unit.cpp|if (!DosName(typed, name, ext)) return filesystems::Refused(|if (DosName(typed, name, ext)) return filesystems::Refused(
fs/trsdos/files.cpp|if (const auto dot = dotted.rfind('.'); dot != std::string::npos) dotted[dot] = '/';|
host/atomic_file.cpp|for (int n = 2; fs::exists(fs::symlink_status(part, ec)); ++n) {|for (int n = 2; false; ++n) {
host/atomic_file.cpp|const WriteResult written = WriteAtomically(bak, bytes, {true, false});|const WriteResult written = WriteAtomically(bak, bytes, {false, false});
host/atomic_file.cpp|if (result.ok() && there && rules.backup) result = Backup(path);|
host/atomic_file.cpp|if (!result.ok()) fs::remove(part, ec);|
host/atomic_file.cpp|code == errc::no_such_file_or_directory|code == errc::io_error
host/atomic_file.cpp|if (there && !fs::is_regular_file(path, ec)) return {Step::kNotPlain, {}};|
disk/hfe.cpp|state->tracks.push_back({Word(image, e), Word(image, e + 2) / 2});|state->tracks.push_back({Word(image, e), Word(image, e + 2)});
disk/cell_tracks.cpp|s.id_crc = f.id_crc_ok ? Check::kGood : Check::kBad;|s.id_crc = Check::kGood;
disk/hfe.cpp|push(bytes[k + 2], std::min<int>(bytes[k + 1], 8));|push(bytes[k + 2], 0);
disk/cell_tracks.cpp|return it != data.end() && it->second.crc == s.data_crc &&|return it != data.end() &&
disk/hfe_write.cpp|if (kept[side]) out.length = kept[side]->second;|if (kept[side]) out.length = hfe::kTrackCells / 8;
disk/hfe_write.cpp|h[hfe::kWriteAllowedAt] = disk.write_protected ? 0 : hfe::kWriteAllowed;|h[hfe::kWriteAllowedAt] = hfe::kWriteAllowed;
disk/track_writers.cpp|close.start = 16;|close.start = 32;
disk/imd.cpp|s.data_crc = kind & imd::kDataError ? Check::kBad : Check::kNotKept;|s.data_crc = Check::kNotKept;
disk/imd.cpp|if (t.head & imd::kCylinderMap) t.cylinder_map|if (t.head & imd::kHeadMap) t.cylinder_map
disk/imd.cpp|p += kind & imd::kCompressed ? 1 : s.size;|p += s.size;
disk/imd_write.cpp|} else if (!kept.empty() && s.density != kept.front()->density) {|} else if (false) {
disk/imd_write.cpp|return std::binary_search(state->filled.begin(), state->filled.end(), s.data_offset);|return false;
cells/decode.cpp|return seek == Seek::kMfm ? 4 : seek == Seek::kFm ? 2 : 1;|return seek == Seek::kMfm ? 8 : seek == Seek::kFm ? 2 : 1;
cells/decode.cpp|p <= 8 * b + 47; p += 16|p <= 8 * b + 31; p += 16
cells/decode.cpp|0x3333333333333333;|0x1111111111111111;
disktool/convert_many.cpp|if (!fresh) outs[i].error|if (false) outs[i].error
disk/reed.cpp|return spc == 0 ? 256 : spc;|return spc;
disk/reed.cpp|if (count % spc != 0) {|if (false) {
disk/reed.cpp|disk.write_protected = image.at(reed::kFlags) & reed::kWriteProtected;|disk.write_protected = false;
disk/reed.cpp|d.sectors.back().id_sector = static_cast<std::uint8_t>(s.id_sector - first);|d.sectors.back().id_sector = s.id_sector;
disk/reed.cpp|  return Slice(back, state->slice);\n}|  return back;\n}
disk/reed.cpp|const int first = n * reed::kSliceSectors;|const int first = n * 16;
ops/drives.cpp|bytes > kMostDriveBytes|bytes >= kMostDriveBytes
ops/drives.cpp|(number < 0 && drives.list.size() == 1)|number < 0
ops/filesystems.cpp|return std::span<const Unit>(kUnits).first(1);|return kUnits;
fs/trsdos/trsdos.cpp|const bool usual = hard_drive|const bool usual = false
fs/trsdos/trsdos.cpp|if (c.sectors().disk().container == disk::Container::kReed) l.gat_end = kGatVersion;|if (false) l.gat_end = kGatVersion;
fs/trsdos/directory_edit.cpp|held[static_cast<std::size_t>(g)] = true;|(void)g;
fs/trsdos/change.cpp|system != reed::kLdos && system != reed::kLsdos|false
fs/trsdos/hard_disk_format.cpp|c == 0 ? 0x01 : 0x00|c == 0 ? 0x00 : 0x00
fs/trsdos/hard_disk_format.cpp|drives > q.heads)|drives > 8)
fs/trsdos/unit.cpp|HoldsDirectory(f);|false;
cells/decode.cpp|seek == Seek::kFm ? 2 : 1;|seek == Seek::kFm ? 4 : 1;
cells/decode.cpp|for (int in = 0; in < 16; ++in) by_run[(fm >> (16 - in)) & 0xFFFF]|for (int in = 4; in < 16; ++in) by_run[(fm >> (16 - in)) & 0xFFFF]
cells/decode.cpp|if (q + 16 * count > cells_.size()|if (q + 16 * count > cells_.size() + 16
formats/hfe.h|(v & 0x5555555555555555) << 1;|(v & 0x5555555555555555) << 3;
fs/cpm/directory.cpp|return count == (RecordsOf(e, p) * kRecord + p.bls - 1) / p.bls;|return count >= (RecordsOf(e, p) * kRecord + p.bls - 1) / p.bls;
fs/cpm/change.cpp|e[14] = static_cast<std::uint8_t>(number >> 5);|e[14] = 0;
fs/cpm/detect.cpp|c.t.fit < bar.fit|c.t.fit <= bar.fit
fs/cpm/detect.cpp|1 + files <= bar.beat|files <= bar.beat
fs/trsdos/change_put.cpp|if (std::string why = WhyNotChangeable(disk, before); !why.empty()) return Refused(why);|
ops/open.cpp|r.disk = disk::ReadDisk(r.image, purpose != Purpose::kCatalogue);|r.disk = disk::ReadDisk(r.image, false);
ops/prove.cpp|if (!out.fault) out.filesystem = after;|
ops/convert.cpp|if (std::string why = ReadsBackOtherwise(*a, fa, *b, fb, -1); !why.empty()) return why;|
ops/filesystems.cpp|} else if (first != nullptr && &u == &kUnits[0]) {|} else if (first != nullptr) {
disk/containers.cpp|if (f->hard_disk == hard_disk) names.emplace_back(f->name);|names.emplace_back(f->name);
archive/zip.cpp|if (crc != m.crc32) return|if (false) return
archive/zip.cpp|at + kEndSize + Le(zip, at + 20, 2) == zip.size()|at + kEndSize == zip.size()
archive/zip.cpp|if (m.packed != m.size) return|if (false) return
archive/zip.cpp|m.encrypted = (Le(zip, at + 8, 2) & 1) != 0;|m.encrypted = (Le(zip, at + 8, 2) & 2) != 0;
archive/zip.cpp|Le(zip, m.local + 26, 2) + Le(zip, m.local + 28, 2)|Le(zip, m.local + 26, 2)
archive/zip.cpp|at == 0xFFFFFFFF) {|false) {
archive/zip.cpp|if (at + size > end) {|if (at > end) {
archive/zip.cpp|if (m.size > most) return|if (m.size > most + 1) return
flux/flux.cpp|clock_ += ((cells <= 4 ? rest : start_ - clock_) * kGain) >> 16;|clock_ += ((cells <= 4 ? rest : 0) * kGain) >> 16;
flux/flux.cpp|time_ = (rest * kKept) >> 16;|time_ = 0;
flux/flux.cpp|for (; rest >= half; ++cells) rest -= clock_;|
flux/flux.cpp|while (peak + 1 < bins.size() && bins[peak + 1] >= bins[peak]) ++peak;|
flux/flux.cpp|time -= ticks * tick_ns;|time = 0;
flux/flux.cpp|!out.index_cells.empty(), loop,|true, loop,
flux/scp.cpp|if (from + 2 * count > image.size()) return false;|if (from + count > image.size()) return false;
flux/scp.cpp|overflow += 0x10000;|overflow += 0xFFFF;
flux/scp.cpp|t.head = heads == 0 ? n % 2 : heads == 2 ? 1 : 0;|t.head = heads == 0 ? n % 2 : 0;
flux/scp.cpp|kTickNs * (image.at(kResolutionAt) + 1)|kTickNs * (image.at(kResolutionAt) + 2)
flux/kryoflux.cpp|overflow += 0x10000, ++at, ++position;|overflow += 0x10000, ++at;
flux/kryoflux.cpp|static_cast<std::size_t>(b - kNop1) + 1;|static_cast<std::size_t>(b - kNop1);
flux/kryoflux.cpp|std::lower_bound(r.starts.begin()|std::upper_bound(r.starts.begin()
flux/kryoflux.cpp|if (type == kOobText && clock_hz == 0)|if (type == kOobIndex && clock_hz == 0)
shelf/queries.cpp|if (share >= least && a != b)|if (share >= least)
shelf/queries.cpp|a.size() + b.size() - n)|a.size() + b.size())
shelf/queries.cpp|if (s.on[f].size() >= 2)|if (s.on[f].size() >= 1)
shelf/queries.cpp|if (images.size() < 2 |if (images.size() < 1 
shelf/queries.cpp|WHERE p.share >= ?|WHERE p.share > ?
shelf/queries.cpp|c == '_' |c == '#' 
shelf/index.cpp|!Under(path, folders)|false
shelf/index.cpp|if (const auto row = rows.find(r.path); row != rows.end()) kept.insert(row->second.id);|
shelf/index.cpp|if (of.front()->second.mtime == mtime) return true;|if (of.front()->second.mtime == mtime) return false;
shelf/records.cpp|r.disk_sha256 = o.hard_disk ? r.sha256 : DiskDigest(d);|r.disk_sha256 = o.hard_disk ? "" : DiskDigest(d);
shelf/records.cpp|if (read.whole()) {|if (!read.bytes.empty()) {
shelf/catalogue.cpp|if (v == kCatalogueVersion) return 0;|if (v >= kCatalogueVersion) return 0;
shelf/catalogue.cpp|if (v == kCatalogueVersion) return 0;|if (v <= kCatalogueVersion) return 0;
shelf/catalogue.cpp|  if (v < kCatalogueVersion)|  if (v > kCatalogueVersion)
cli/escaped.cpp|if (at == text.end()) return text;|return text;
cli/in_order.h|return j < count_ && j < handed + ahead_ ? j : count_;|return j < count_ ? j : count_;
cli/in_order.h|if (!go) stop_ = true;|if (!go) stop_ = false;
cli/in_order.h|!shown.out.empty() && std::exchange(blocks, true)|!shown.out.empty() && std::exchange(blocks, false)
cli/in_order.h|      status = 1;|      status = 0;
cli/in_order.h|while (j < count_ && j < handed + ahead_ && |while (j < count_ && j <= handed + ahead_ && 
report/main.cpp|return {report.error.empty() ? trivane::report::TextBlock(report) : "", report.error};|return {trivane::report::TextBlock(report), report.error};
shelf/catalogue.cpp|if (ok_ && Exec(db_, "COMMIT")) return "";|if (Exec(db_, "COMMIT")) return "";
shelf/queries.cpp|while (row && images.Int(0) < id) row = images.Step();|while (row && images.Int(0) <= id) row = images.Step();
shelf/queries.cpp|for (; row && images.Int(0) == id; row = images.Step())|for (; row && images.Int(0) >= id; row = images.Step())
shelf/index.cpp|std::chrono::file_clock::to_sys(t).time_since_epoch()|t.time_since_epoch()
fs/fat/unit.cpp|if (s.size != 512) continue;|if (s.size == 512) continue;
ops/tapes.cpp|if (!tape::IsWav(head) && !Leader(head)) return false;|if (!Leader(head)) return false;
views/load_module.cpp|if (type > 0x1F) {|if (type >= 0x1F) {
views/load_module.cpp|length = length < 3 ? length + 256 : length;|length = length < 2 ? length + 256 : length;
views/load_module.cpp|if (body + static_cast<std::size_t>(length) > b.size()) {|if (body + static_cast<std::size_t>(length) >= b.size()) {
views/load_module.cpp|Hex4(k.address + k.length - 1)|Hex4(k.address + k.length)
views/load_module.cpp|overlaps += times > 1;|overlaps += times > 2;
views/load_module.cpp|if (m.ended && at < b.size())|if (m.ended && at + 1 < b.size())
views/view.cpp|if (printable >= 95) {|if (printable > 95) {
views/view.h|"asm",  "hex",   "com"|"hex",  "asm",   "com"
views/basic.cpp|if (!m4_ && c <= 0xFB) word|if (!m4_ && c < 0xFB) word
views/basic.cpp|b_[at_] >= 0x81 && b_[at_] <= 0xB3)|b_[at_] >= 0x81 && b_[at_] < 0xB3)
views/basic.cpp|if (c == 0x1F) at += 8;|if (c == 0x1F) at += 4;
views/basic.cpp|bytes == 4 ? "%.7G" : "%.16G"|bytes == 4 ? "%.7G" : "%.7G"
views/basic.cpp|if (pointer <= pointer_before |if (pointer < pointer_before 
views/z80.cpp|return text[0] >= 'A' ?|return text[0] > 'A' ?
views/z80.cpp|(d < 0 ? "-" : "+")|(d <= 0 ? "-" : "+")
EOF
)

# A fault still planted when the script is stopped is taken out again.
# Restored by writing, so that the file is newer than what the fault built.
put_back() { cat "$1.orig" >"$1" && rm "$1.orig"; }
restore() { for f in $(cut -d'|' -f1 <<<"$faults" | sort -u); do [ -f "$f.orig" ] && put_back "$f"; done; true; }
trap restore EXIT

total=0
caught=0
declare -A planted_in caught_in
while IFS='|' read -r file from to; do
  [ -n "$file" ] || continue
  room=${file%/*}
  [ "$only" = "  " ] || [[ "$only" == *" $room "* ]] || continue
  total=$((total + 1))
  planted_in[$room]=$(( ${planted_in[$room]:-0} + 1 ))
  cp "$file" "$file.orig"
  # A text no longer in its file is said and counted as not caught: the
  # list is then out of date, and the run goes on with the rest.
  if ! python3 - "$file" "$from" "$to" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2].replace('\\n', '\n'), sys.argv[3].replace('\\n', '\n')
text = open(path).read()
if old not in text:
    sys.exit(f"mutate.sh: not found in {path}: {old}")
open(path, 'w').write(text.replace(old, new, 1))
PY
  then
    result="NOT FOUND"
  elif ! cmake --build build-mutate -j"$(nproc)" --target core_tests tool_tests >/dev/null 2>&1; then
    result="does not build"
  elif (timeout 60 build-mutate/tests/core_tests >/dev/null 2>&1 &&
        timeout 120 build-mutate/tests/tool_tests >/dev/null 2>&1); then
    result="MISSED"
  else
    result="caught"
    caught=$((caught + 1))
    caught_in[$room]=$(( ${caught_in[$room]:-0} + 1 ))
  fi
  put_back "$file"
  [ "$verbose" = "-v" ] && printf '%-8s %s: %s -> %s\n' "$result" "$file" "$from" "$to"
done <<<"$faults"
for room in "${!planted_in[@]}"; do
  echo "  $room: ${caught_in[$room]:-0} of ${planted_in[$room]}"
done | sort
echo "faults planted: $total, caught by the core tests: $caught"
