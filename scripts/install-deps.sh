#!/usr/bin/env bash
# Installs the Debian packages Cardwright needs to build, test and run.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  zlib1g-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools
  xvfb xdotool x11-utils x11-apps imagemagick python3 libxdamage-dev
  freecell-solver-bin
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
