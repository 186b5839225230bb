# Sourced by sanitize.sh and fuzz.sh: one build in build-fuzz/ serves both,
# made with clang 14, the address and undefined behaviour sanitizers and
# libFuzzer's coverage, so that the tests under the sanitizers and the fuzzing
# compile the sources once. The settings are all given each time: an earlier
# build folder's cache keeps any that are left out.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
scripts/deps.sh clang-14 libclang-rt-14-dev
sanitized_build() {  # TARGET... (none: everything)
  local flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
  flags+=" -fno-omit-frame-pointer -g -O1"
  cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DTRIVANE_FUZZ=ON -DTRIVANE_WINDOW=ON -DBUILD_TESTING=ON >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build build-fuzz -j"$(nproc)" --target "$@"
  else
    cmake --build build-fuzz -j"$(nproc)"
  fi
}
