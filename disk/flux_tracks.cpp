// A track's flux as the disk's sectors (flux_tracks.h): the fields of every
// revolution found on one run of cells, each placed by its cells from its
// revolution's index, and the fields of one place and ID made one sector.
#include "disk/flux_tracks.h"

#include <algorithm>
#include <map>
#include <string>

namespace trivane::disk {
namespace {

// The fields of one place of the track, by revolution (from 0).
struct Place {
  std::size_t at = 0;  // cells from the index
  std::vector<std::pair<int, cells::Field>> fields;
  const cells::Field* IdField() const {
    for (const auto& [r, f] : fields)
      if (f.id_crc_ok) return &f;
    return &fields.front().second;
  }
  bool Has(int revolution) const {
    return std::any_of(fields.begin(), fields.end(),
                       [&](auto& e) { return e.first == revolution; });
  }
};

bool SameId(const cells::Field& a, const cells::Field& b) {
  return a.cylinder == b.cylinder && a.head == b.head && a.sector == b.sector &&
         a.size_code == b.size_code && a.encoding == b.encoding;
}

// Each field joins the place of its ID near its cell, where its revolution
// has none yet (a field whose ID fails its CRC joins by place alone).
std::vector<Place> Places(std::vector<cells::Field> fields, const flux::TrackCells& tc) {
  std::vector<Place> places;
  std::multimap<std::size_t, std::size_t> by_cell;  // each place's cell, its index
  const std::vector<std::size_t>& index = tc.index_cells;
  for (cells::Field& f : fields) {
    const auto after = std::upper_bound(index.begin(), index.end(), f.at);
    if (after == index.begin() || after == index.end()) continue;  // outside every revolution
    const int r = static_cast<int>(after - index.begin()) - 1;
    const std::size_t at = f.at - *(after - 1);
    const std::size_t near = std::max<std::size_t>(64, (*after - *(after - 1)) / 100);
    const auto joins = [&](const Place& p) {
      return !p.Has(r) && (!f.id_crc_ok || !p.IdField()->id_crc_ok || SameId(*p.IdField(), f));
    };
    auto it = by_cell.lower_bound(at > near ? at - near : 0);
    while (it != by_cell.end() && it->first <= at + near && !joins(places[it->second])) ++it;
    if (it != by_cell.end() && it->first <= at + near) {
      places[it->second].fields.emplace_back(r, std::move(f));
    } else {
      by_cell.emplace(at, places.size());
      places.push_back({at, {{r, std::move(f)}}});
    }
  }
  std::stable_sort(places.begin(), places.end(), [](auto& a, auto& b) { return a.at < b.at; });
  return places;
}

std::string Named(int cylinder, int side, int sector) {
  return "cylinder " + std::to_string(cylinder) + " side " + std::to_string(side) + " sector " +
         std::to_string(sector);
}

std::string Listed(const std::vector<int>& revolutions) {
  std::string out;
  for (std::size_t k = 0; k < revolutions.size(); ++k)
    out += (k == 0                        ? ""
            : k + 1 == revolutions.size() ? " and "
                                          : ", ") +
           std::to_string(revolutions[k]);
  return out;
}

// The place as a sector: its ID from a revolution whose ID held, its data
// from the first whose data held (else the first with data); what the
// revolutions said of it in the state, and in the findings where they
// disagree or none read it good.
void AddPlace(Place& p, int revolutions, int cylinder, int side, Offset offset, FluxState& state,
              Disk& disk) {
  FluxState::Revolutions seen{revolutions, {}};
  cells::Field* data = nullptr;
  bool differ = false;
  for (auto& [r, f] : p.fields) {
    if (f.dam == 0) continue;
    const bool good = f.id_crc_ok && f.data_crc_ok;
    if (good) seen.good.push_back(r + 1);
    if (good && data != nullptr && data->data_crc_ok) differ = differ || data->data != f.data;
    if (data == nullptr || (good && !data->data_crc_ok)) data = &f;
  }
  cells::Field made = *p.IdField();
  if (data != nullptr)
    made.dam = data->dam, made.data = data->data, made.data_crc_ok = data->data_crc_ok;
  std::sort(seen.good.begin(), seen.good.end());
  const std::string name = Named(cylinder, side, made.sector);
  if (differ)
    disk.problems.push_back(name + ": revolutions " + Listed(seen.good) +
                            " read it good but differ");
  if (seen.good.empty())
    disk.problems.push_back(name + ": good on none of " + std::to_string(revolutions) +
                            " revolutions");
  AddField(std::move(made), cylinder, side, offset, state, disk);
  state.revolutions.push_back(std::move(seen));
}

}  // namespace

const FluxState* FluxStateOf(const Disk& disk) {
  return dynamic_cast<const FluxState*>(disk.state.get());
}

void AddFluxTrack(const flux::FluxTrack& track, int cylinder, int side, const CellOffset& offset_of,
                  FluxState& state, Disk& disk) {
  const std::string where =
      "cylinder " + std::to_string(cylinder) + " side " + std::to_string(side);
  for (const std::string& f : track.findings) disk.problems.push_back(where + ": " + f);
  auto& histograms = state.histograms[{cylinder, side}];
  for (int r = 0; r < track.revolutions(); ++r)
    histograms.push_back(flux::Histogram(track, r, FluxState::kBinNs, FluxState::kMostNs));
  const flux::TrackCells tc = flux::CellsOf(track);
  const int revolutions = static_cast<int>(tc.index_cells.size()) - 1;
  if (tc.cells.size() == 0 || revolutions < 1) {
    disk.problems.push_back(where + ": no flux a controller could read (unformatted)");
    return;
  }
  std::vector<Place> places = Places(cells::DecodeBothRates(tc.cells), tc);
  if (places.empty())
    disk.problems.push_back(where + ": no sector found on " + std::to_string(revolutions) +
                            " revolutions");
  for (Place& p : places) AddPlace(p, revolutions, cylinder, side, offset_of(p.at), state, disk);
}

}  // namespace trivane::disk
