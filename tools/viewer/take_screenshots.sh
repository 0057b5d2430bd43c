#!/bin/sh
# Renders the field of several games offscreen into docs/screenshots: both
# builds, portrait and landscape, and two pictures taken during a drag.
# usage: tools/viewer/take_screenshots.sh BUILD_DIR [OUT_DIR]
set -eu
build=${1:?build directory}
out=${2:-$(dirname "$0")/../../docs/screenshots}
viewer="$build/tools/viewer/cardwright-viewer"
mkdir -p "$out"

shoot() {  # name game number extra-arguments...
  name=$1; game=$2; number=$3; shift 3
  for build_kind in qvga vga; do
    flag=""
    [ "$build_kind" = vga ] && flag="--vga"
    "$viewer" $flag --game "$game" --number "$number" "$@" \
      --screenshot "$out/$name-$build_kind-portrait.png"
    "$viewer" $flag --game "$game" --number "$number" --landscape "$@" \
      --screenshot "$out/$name-$build_kind-landscape.png"
  done
}

shoot freecell FreeCell 7
shoot seven-by-five "Seven by Five" 7
shoot penguin Penguin 7
shoot towers Towers 7
shoot double-freecell "Double FreeCell" 7
shoot milligan-cell "Milligan Cell" 7

# FreeCell after a few moves, the four of hearts lifted with the three of
# spades on it.
for build_kind in qvga vga; do
  flag=""
  [ "$build_kind" = vga ] && flag="--vga"
  "$viewer" $flag --game FreeCell --number 7 --moves 4:8,24:9,2:5 --drag 42:-20,30 \
    --screenshot "$out/freecell-$build_kind-drag.png"
done
