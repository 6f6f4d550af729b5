#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libxcb1-dev
  libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation xvfb xauth openbox poppler-utils
  libgdal-dev gdal-bin libicu-dev sqlite3
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
