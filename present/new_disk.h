// "New disk...", the same in every front end: the choices it offers (the
// DOSes and containers in the order shown, the heads and densities after
// the DOS's usual), today's date as the DOSes ask for it, and the making of
// the disk into a file.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "disk/container.h"
#include "fs/filesystem.h"

namespace trivane::present {

// Index 0 is the DOS's usual, as FormatRequest counts them.
inline constexpr std::array<const char*, 3> kHeadChoices = {"usual", "1", "2"};
inline constexpr std::array<const char*, 3> kDensityChoices = {"usual", "single", "double"};
inline constexpr char kNewDiskName[] = "DATADISK";

// Today as MM/DD/YY.
std::string Today();
// The DOSes a new disk is offered in, in the order shown.
std::vector<filesystems::FormatChoice> NewDiskDoses();
// The containers a new disk is offered in, in the order shown.
std::vector<disk::Container> NewDiskContainers();
// The file name's ending the container gives ("dmk").
std::string SuffixOf(disk::Container container);
// What Save as offers: each written container, its name and its file
// patterns ("*.jv3", "*.dsk"), in the order shown.
struct SaveChoice {
  disk::Container kind;
  std::string name;
  std::vector<std::string> patterns;
};
std::vector<SaveChoice> SaveChoices();
// "JV3 (*.jv3 *.dsk)", the patterns joined by the separator.
std::string ChoiceLabel(const SaveChoice& choice, const std::string& separator);
std::string Joined(const std::vector<std::string>& parts, const std::string& separator);
// Makes the disk into the file (a file there is replaced), proved before it
// is put in place; empty when done, else why not.
std::string MakeNewDisk(const filesystems::FormatRequest& request,
                        const std::filesystem::path& file);

}  // namespace trivane::present
