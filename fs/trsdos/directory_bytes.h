// The bytes of a directory that both its reader and FORMAT know: where the
// GAT keeps what, and the entry's attribute bits (the entry layout is in
// directory.cpp's header).
#pragma once

namespace trivane::trsdos {

inline constexpr int kSectorBytes = 256;  // every sector a DOS here keeps files in
// GAT: allocation bytes from +00, the lock-out table, the DOS's bytes, the
// master password, the disk's name and date, the auto command.
inline constexpr int kGatLockout = 0x60;
inline constexpr int kGatVersion = 0xCB;
inline constexpr int kGatPassword = 0xCE;
inline constexpr int kGatName = 0xD0, kGatDate = 0xD8, kGatCommand = 0xE0;
inline constexpr int kGatAllocationBytes = 0x60;
// Entry attributes.
inline constexpr int kExtended = 0x80, kInUse = 0x10;
// Entries of the TRSDOS 2.3 family and NEWDOS/80: 32 bytes, 8 a sector;
// DEC = slot << 5 | entry sector.
inline constexpr int kEntryBytes = 32;
inline constexpr int Dec(int entry_sector, int slot) {
  return slot << 5 | entry_sector;
}

}  // namespace trivane::trsdos
