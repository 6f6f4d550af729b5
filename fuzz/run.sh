#!/usr/bin/env bash
# Builds a fuzz target with clang in build-fuzz/ and runs it.
# Usage: fuzz/run.sh [target] [seconds] [more libFuzzer flags]
# target is a fuzz target (core, tokens, layer_table, drawing_reader); default core.
# New inputs go to build-fuzz/corpus-<target> (the checked-in seeds stay as
# they are); a crashing input is written to build-fuzz/ as crash-*, and one
# that takes more than 10 seconds (a loop) fails as timeout-*.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-core}
seconds=${2:-300}
# The folder of fuzz/ that declares the target (core and tokens are their
# folders' names; layer_table lives in viewer, drawing_reader in drawing).
folder=$( (grep -l "korvalo_add_fuzzer(${target}\b" fuzz/*/CMakeLists.txt || true) | head -n1 | xargs -r dirname | xargs -r basename)
if [ -z "$folder" ]; then
  echo "No fuzz target named $target" >&2
  exit 2
fi
shift 2 || shift $# || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVALO_BUILD_FUZZERS=ON -DKORVALO_BUILD_TESTS=OFF -DKORVALO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${target}_fuzzer"
mkdir -p "build-fuzz/corpus-$target"
dict=()
[ -f "fuzz/$folder/$target.dict" ] && dict=(-dict="fuzz/$folder/$target.dict")
build-fuzz/fuzz/"${target}_fuzzer" -max_total_time="$seconds" -max_len=2048 -timeout=10 \
  "${dict[@]}" "$@" "build-fuzz/corpus-$target" "fuzz/$folder/corpus"
