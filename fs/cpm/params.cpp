#include "fs/cpm/params.h"

#include <algorithm>

namespace trivane::cpm {
namespace {

constexpr Density kSd = Density::kSingle, kDd = Density::kDouble;

// The formats of the published definitions; those marked seen there are
// the ones real disks confirm.
const std::vector<FormatRow> kFormats = {
    {"omikron", "Omikron (Mapper)", "Model I", {35, 1, 18, 128, 3, 1024, 64, 4}, kSd, 1},
    {"fmg", "FMG CP/M 1.5", "Model I", {35, 1, 18, 128, 3, 1024, 64, 4}, kSd, 1, -1, 3, 10, 256},
    {"lifeboat", "Lifeboat CP/M 1.4", "Model I", {35, 1, 18, 128, 3, 1024, 64, 4}, kSd, 1},
    {"montezuma-system",
     "Montezuma system 170K",
     "Model 4",
     {40, 1, 18, 256, 2, 2048, 128, 2},
     kDd,
     1},
    {"montezuma-data", "Montezuma data 200K", "Model 4", {40, 1, 10, 512, 0, 2048, 128, 2}, kDd, 1},
    {"montezuma-system-350",
     "Montezuma system 350K",
     "Model 4",
     {40, 2, 18, 256, 2, 2048, 128, 2},
     kDd,
     1},
    {"montezuma-data-400",
     "Montezuma data 400K",
     "Model 4",
     {40, 2, 10, 512, 0, 2048, 128, 2},
     kDd,
     1},
    {"montezuma-system-710",
     "Montezuma system 710K",
     "Model 4",
     {80, 2, 18, 256, 2, 2048, 128, 2},
     kDd,
     1},
    {"montezuma-data-800",
     "Montezuma data 800K",
     "Model 4",
     {80, 2, 10, 512, 0, 2048, 128, 1},
     kDd,
     1},
    {"montezuma-extended",
     "Montezuma extended system",
     "Model 4",
     {40, 1, 10, 512, 2, 2048, 128, 2},
     kDd,
     1},
    {"montezuma-super-data",
     "Montezuma super data",
     "Model 4",
     {40, 1, 6, 1024, 0, 2048, 128, 2},
     kDd,
     1},
    {"cpm-plus-model4",
     "CP/M Plus (Radio Shack)",
     "Model 4",
     {40, 1, 8, 512, 1, 1024, 64, 1},
     kDd,
     1},
    {"holmes-vid80", "Holmes VID-80", "Model I/III", {40, 1, 10, 512, 1, 1024, 64, 1}, kDd, 0},
    {"memory-merchant", "Memory Merchant", "Model III", {40, 1, 10, 512, 2, 2048, 128, 1}, kDd, 1},
    {"hurricane", "Hurricane compactor", "Model III", {40, 1, 5, 1024, 2, 2048, 128, 3}, kDd, 1},
    {"lnw80", "LNW-80", "LNW-80", {40, 1, 18, 256, 3, 2048, 64, 5}, kDd, 1},
    {"pickles-trout",
     "Pickles & Trout",
     "Model II 8-inch",
     {77, 1, 16, 512, 2, 2048, 128, 1},
     kDd,
     1,
     -1,
     1,
     26,
     128},
    {"model2-1024",
     "Lifeboat, FMG, Aton 8 x 1024",
     "Model II 8-inch",
     {77, 1, 8, 1024, 2, 2048, 128, 3},
     kDd,
     1},
    {"model2-256",
     "Lifeboat, FMG, Aton 26 x 256",
     "Model II 8-inch",
     {77, 1, 26, 256, 2, 2048, 128, 1},
     kDd,
     1},
    {"genie3s-holte",
     "Genie IIIs, Holte CP/M 3",
     "Genie IIIs",
     {80, 2, 10, 512, 4, 2048, 192, 1},
     kDd,
     0},
    {"genie3s-5x1024",
     "Genie IIIs, 5 x 1024",
     "Genie IIIs",
     // 192 blocks, as for the system disks' 6 reserved tracks: the
     // authors' CDIR listing of a real data disk gives its free space so.
     {80, 2, 5, 1024, 0, 4096, 256, 1, 192},
     kDd,
     0},
    {"genie3s-lowe",
     "Genie IIIs, Lowe",
     "Genie IIIs",
     {80, 2, 18, 256, 6, 4096, 128, 1},
     kDd,
     0,
     18},
};

}  // namespace

int Params::Blocks() const {
  if (bls <= 0 || Tracks() <= off) return 0;
  const int held = static_cast<int>(static_cast<long long>(Tracks() - off) * spt * size / bls);
  return dsm_blocks > 0 ? std::min(dsm_blocks, held) : held;
}

std::string Params::Text() const {
  std::string t = std::to_string(spt) + " x " + std::to_string(size) + ", " + std::to_string(off) +
                  " reserved tracks, " + std::to_string(bls / 1024) + " KiB blocks, " +
                  std::to_string(entries) + " entries, ";
  if (dsm_blocks > 0) t += std::to_string(Blocks()) + " blocks, ";
  if (heads >= 2 && !sides_in_turn) t += heads == 2 ? "side 0 first, " : "head by head, ";
  return t + (skew > 1 ? "skew " + std::to_string(skew) : "no skew");
}

std::vector<int> SkewTable(int spt, int skew) {
  std::vector<int> slots(static_cast<std::size_t>(spt), -1), out;
  int pos = 0;
  for (int i = 0; i < spt; ++i) {
    while (slots[static_cast<std::size_t>(pos)] >= 0) pos = (pos + 1) % spt;
    slots[static_cast<std::size_t>(pos)] = i;
    out.push_back(pos);
    pos = (pos + skew) % spt;
  }
  return out;
}

const std::vector<FormatRow>& Formats() {
  return kFormats;
}

const FormatRow* FormatNamed(const std::string& word) {
  for (const FormatRow& row : kFormats) {
    if (word == row.word) return &row;
  }
  return nullptr;
}

}  // namespace trivane::cpm
