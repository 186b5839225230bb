#!/usr/bin/env bash
# Fails, naming the files, where a C++ source is not as .clang-format lays it out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh clang-format
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror
