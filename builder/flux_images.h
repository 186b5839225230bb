// Flux dumps built in code: a track's flux as a KryoFlux stream file, as a
// flux drive writes one.
#pragma once

#include <random>

#include "builder/image_builder.h"
#include "disk/disk.h"
#include "flux/flux.h"

namespace trivane::build {

// The text block ("sck=" the clock of the track's tick), each interval in
// the shortest element that holds it (65,536 more with an overflow byte),
// an index block after the flux each index fell in, and the end block.
Bytes KryoFluxStream(const flux::FluxTrack& track);

// The flux a drive would give of the cells: its speed ±3 % round each
// revolution, each transition off by 60 ns (one standard deviation).
flux::FluxTrack Worn(const cells::Cells& cells, int revolutions, std::mt19937& random);

// Every track of the disk as that many revolutions of worn flux in SCP,
// the first revolution of cylinder 2 head 0 spoilt in its middle (a
// microsecond more on 2,000 transitions: more than a sector's length).
Bytes WornScp(const disk::Disk& disk, int revolutions, std::mt19937& random);

}  // namespace trivane::build
