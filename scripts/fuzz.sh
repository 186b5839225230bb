#!/usr/bin/env bash
# Builds the fuzz targets in the sanitizers' build (clang's libFuzzer, the
# address and undefined behaviour sanitizers), replays the kept regressions,
# then fuzzes the targets from the seed images within one budget of BUDGET
# seconds (default 240) for them all: as many at a time as the machine has
# cores, each for its share (BUDGET x cores / targets), so that a new target
# does not lengthen the run.
# Fails on any finding; a finding's input is left in build-fuzz/findings/.
set -euo pipefail
budget="${1:-240}"
source "$(dirname "$0")/sanitized.sh"
# Each fuzz/NAME_fuzz.cpp is a target.
targets=()
for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" _fuzz.cpp)"); done
sanitized_build "${targets[@]/%/_fuzz}" make-images
rm -rf build-fuzz/seeds build-fuzz/findings
build-fuzz/make-images seeds build-fuzz/seeds
mkdir -p build-fuzz/findings

status=0
shopt -s nullglob
for target in "${targets[@]}"; do
  regressions=(fuzz/regressions/$target/*)
  if [ ${#regressions[@]} -gt 0 ]; then
    build-fuzz/${target}_fuzz "${regressions[@]}" >/dev/null 2>&1 || {
      echo "$target: a kept regression fails again"; status=1; }
  fi
done

cores=$(nproc)
share=$((budget * cores / ${#targets[@]}))
[ "$share" -ge 10 ] || share=10
echo "fuzzing ${#targets[@]} targets, $cores at a time, $share s each"
fuzz() {
  mkdir -p build-fuzz/corpus/$1
  build-fuzz/${1}_fuzz build-fuzz/corpus/$1 build-fuzz/seeds/$1 \
    -max_total_time="$share" -max_len=131072 -print_final_stats=1 \
    -artifact_prefix=build-fuzz/findings/$1- >build-fuzz/$1.log 2>&1
}
pids=()
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$cores" ]; do wait -n || true; done
  fuzz "$target" &
  pids+=($!)
done
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  if wait "${pids[$i]}"; then
    echo "$target: $(grep -E '^#[0-9]+.*DONE' build-fuzz/$target.log | tail -1)"
    grep -E 'stat::number_of_executed_units' build-fuzz/$target.log || true
  else
    status=1
    echo "$target: FINDING"; tail -40 build-fuzz/$target.log
  fi
done
exit $status
