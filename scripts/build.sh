#!/usr/bin/env bash
# Configures and builds. Usage: scripts/build.sh [--sanitize]
# The normal build goes to build/, the sanitizer build to build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  flags+=(-DKORVALO_SANITIZE=ON -DKORVALO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
else
  flags+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
if [ "${CI:-}" = "true" ]; then
  flags+=(-DKORVALO_WERROR=ON)
fi

cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
