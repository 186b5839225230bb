// The input as a KryoFlux stream file: its flux read to cells and to the
// sectors of one track over every revolution; whatever it holds, nothing
// read outside it, every index within the flux and every revolution within
// the cells.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "disk/kryoflux.h"
#include "flux/flux.h"
#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using trivane::fuzz::Require;
  const std::span<const std::uint8_t> file(data, size);
  const trivane::flux::FluxTrack t = trivane::flux::ReadKryoFluxStream(file);
  for (std::size_t i : t.index) Require(i <= t.intervals.size(), "an index past the flux");
  const trivane::flux::TrackCells c = trivane::flux::CellsOf(t);
  Require(std::is_sorted(c.index_cells.begin(), c.index_cells.end()), "revolutions out of order");
  for (std::size_t i : c.index_cells) Require(i <= c.cells.size(), "a revolution past the cells");
  trivane::fuzz::CheckRevolutions(
      trivane::disk::ReadKryoFluxDump({{0, 0, {file.begin(), file.end()}}}));
  return 0;
}
