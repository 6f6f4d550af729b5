#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
# Usage: scripts/run.sh [KorvaloA2004|KorvaloA2000|KorvaloR14|KorvaloSA] [project.kvx]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh

program=${1:-KorvaloA2004}
shift || true
exe=build/bin/$program
if [ ! -x "$exe" ]; then
  echo "$program is not built yet." >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the program under Xvfb (xvfb-run)." >&2
  exec xvfb-run -a "$exe" "$@"
fi
exec "$exe" "$@"
