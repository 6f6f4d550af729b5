#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: in the normal
# build and in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

bash scripts/build.sh
(cd build && ctest --output-on-failure --parallel "$jobs")

bash scripts/build.sh --sanitize
(cd build-asan && ctest --output-on-failure --parallel "$jobs")
