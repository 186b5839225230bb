// The sample images: one of each kind the program tells apart, for the sample
// folder the window starts in and for the report tool's tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "builder/image_builder.h"

namespace trivane::build {

struct Sample {
  std::string name;
  Bytes bytes;
};

// Full-size images of every kind.
std::vector<Sample> Samples();
// The same kinds in a few tracks each, and the damaged images the tests
// build: small inputs for fuzzing.
std::vector<Sample> Seeds();
// The n-th of the benchmark images: 35- to 80-track JV1, JV3 and DMK images of
// 90 KB to 1 MB, in turn.
Sample BenchImage(int n);

}  // namespace trivane::build
