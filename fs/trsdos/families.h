// The TRSDOS family's members as rows of one table: where each differs from
// the others (its name, how its directory and granules lie, how its entries
// are dated, which entry slot its first user file takes, the passwords a
// new entry gets, how it counts a file's records), and what each formats.
// The code reads the rows; it does not ask which DOS it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/trsdos/catalogue.h"

namespace trivane::trsdos {

enum class Dates { kNone, kPacked, kMonthYear };

struct Format;  // format_tracks.h

// What a DOS formats: its usual disk and the disks it makes at all, the
// sector ids it numbers from, how it lays out a new disk, and whether the
// new disk lists BOOT/SYS and DIR/SYS.
struct FormatRule {
  const char* word;  // --dos's word
  const char* name;  // as a refusal names it
  int usual_cylinders, usual_heads, usual_density;
  int min_cylinders, max_cylinders, max_heads;
  bool single, double_density;
  int first_id;
  void (*lay)(disk::Disk& disk, const Format& f);
  bool system_files;
};

struct FamilyRow {
  Family family;
  const char* name;  // as listings name it
  // +1..2 of an entry: LDOS's packed date (month; day and year - 1980),
  // Model III's month and year, or none (NEWDOS/80, TRSDOS 2.3 and DOSPLUS
  // keep the same bytes as LDOS when a file is put; only LDOS reads them).
  Dates read_dates;
  Dates put_dates;
  // The first slot a user file takes: TRSDOS 2.3 and the LDOS family keep
  // slots 0 and 1 of the first eight entry sectors (DECs 00..07, 20..27)
  // for system files, on data disks too; NEWDOS/80 uses every slot from
  // 02; Model III TRSDOS 1.3 numbers its entries from 0. Seen on the real
  // disks, no DOS source says it.
  int first_user_dec;
  // A new entry's update and access password hashes (no password).
  std::uint8_t no_password[2];
  // ERN counts whole sectors only (the size is ERN x 256 + EOF), not the
  // sector after the last.
  bool whole_sector_ern;
  bool formats;  // whether `new` makes a disk of it, by `rule`
  FormatRule rule;
};

// The row of a family; kUnknown's for none.
const FamilyRow& RowOf(Family family);
// The rows of the DOSes `new` formats, in the order offered.
std::vector<const FamilyRow*> Formatted();
// The formatted DOS of a --dos word, kUnknown for none.
Family FormattedNamed(const std::string& word);

}  // namespace trivane::trsdos
