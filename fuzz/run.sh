#!/usr/bin/env bash
# Builds the core fuzzer with clang in build-fuzz/ and runs it.
# Usage: fuzz/run.sh [seconds] [more libFuzzer flags]
# New inputs go to build-fuzz/corpus-core (the checked-in seeds stay as they
# are); a crashing input is written to build-fuzz/ as crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVALO_BUILD_FUZZERS=ON -DKORVALO_BUILD_TESTS=OFF -DKORVALO_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target korvalo_core_fuzzer
mkdir -p build-fuzz/corpus-core
cd build-fuzz
./bin/korvalo_core_fuzzer -max_total_time="$seconds" -max_len=2048 -timeout=10 \
  -dict=../fuzz/core.dict "$@" corpus-core ../fuzz/corpus/core
