#!/usr/bin/env bash
# Reports the source coverage that the fuzzing corpus of scripts/fuzz.sh
# reaches in the identification and the sector code.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build-essential cmake clang-14 libclang-rt-14-dev llvm-14 nlohmann-json3-dev zlib1g-dev libsqlite3-dev
[ -d build-fuzz/corpus ] || { echo "no corpus yet: run scripts/fuzz.sh first"; exit 1; }
flags="-fsanitize=fuzzer-no-link -fprofile-instr-generate -fcoverage-mapping -O1"
cmake -S . -B build-coverage -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_FLAGS="$flags" -DTRIVANE_FUZZ=ON -DTRIVANE_WINDOW=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build build-coverage -j"$(nproc)" --target identify_fuzz find_sector_fuzz >/dev/null
for target in identify find_sector; do
  LLVM_PROFILE_FILE="build-coverage/$target.profraw" \
    build-coverage/${target}_fuzz -runs=0 build-fuzz/corpus/$target >/dev/null 2>&1
  llvm-profdata-14 merge -o build-coverage/$target.profdata build-coverage/$target.profraw
  echo "== $target"
  llvm-cov-14 report build-coverage/${target}_fuzz -instr-profile=build-coverage/$target.profdata \
    identify sectors | sed -n '1,2p;$p'
done
