// Flux dumps built in code: a track's flux as a KryoFlux stream file, as a
// flux drive writes one.
#pragma once

#include "builder/image_builder.h"
#include "flux/flux.h"

namespace trivane::build {

// The text block ("sck=" the clock of the track's tick), each interval in
// the shortest element that holds it (65,536 more with an overflow byte),
// an index block after the flux each index fell in, and the end block.
Bytes KryoFluxStream(const flux::FluxTrack& track);

}  // namespace trivane::build
