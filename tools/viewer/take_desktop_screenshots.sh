#!/bin/bash
# Screenshots of the program's real window filling a desktop screen (the
# size a maximised window has) on a private Xvfb display, for four games, on
# 1920×1080 and 1280×720 screens, into docs/screenshots/desktop-*.png.
# Every game shows deal number 1, chosen with Select Deal, and is taken
# before its clock's first tick, so two builds' pictures can be compared
# pixel by pixel.
# usage: tools/viewer/take_desktop_screenshots.sh BUILD_DIR [OUT_DIR]
set -euo pipefail

build=$(realpath "${1:?build directory}")
out=$(realpath -m "${2:-$(dirname "$0")/../../docs/screenshots}")
program=$build/shell/cardwright

if [[ ${DESKTOP_DISPLAY_READY:-} != 1 ]]; then
  mkdir -p "$out"
  # Without -noreset the server starts afresh whenever its last client
  # leaves, between two starts, and a program connecting meanwhile fails.
  for screen in 1920x1080 1280x720; do
    DESKTOP_DISPLAY_READY=1 DESKTOP_SCREEN=$screen \
      xvfb-run -a -s "-screen 0 ${screen}x24 -noreset" "$0" "$build" "$out"
  done
  exit 0
fi

unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR CARDWRIGHT_DPI
work=$(mktemp -d)
export CARDWRIGHT_REGISTRY=$work/registry.sqlite3 XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
program_pid=
cleanup() {
  [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_program() {
  "$program" >/dev/null 2>&1 &
  program_pid=$!
}

# Prints the started program's window, or fails within 30 s.
window_of_program() {
  local window waited=0
  until window=$(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | head -1) && [[ -n $window ]]; do
    kill -0 "$program_pid" 2>/dev/null || { echo "desktop screenshots: the program exited" >&2; exit 1; }
    ((waited++ < 300)) || { echo "desktop screenshots: no window within 30 s" >&2; exit 1; }
    sleep 0.1
  done
  echo "$window"
}

# Keys pressed in window $1 (no window manager gives it the focus).
keys_to() {
  local target=$1
  shift
  xdotool windowfocus --sync "$target" key "$@"
}

# Deals number 1 through Select Deal (Ctrl+G) in the window $1.
deal_first() {
  local box
  keys_to "$1" ctrl+g
  box=$(timeout 20 xdotool search --sync --all --onlyvisible --pid "$program_pid" --name "^Select Deal\$" | head -n 1) ||
    { echo "desktop screenshots: Select Deal did not open" >&2; exit 1; }
  sleep 0.3
  keys_to "$box" ctrl+a BackSpace 1
  # The clock ticks when the system clock's second turns: dealing just after
  # that leaves nearly a second for the picture.
  sleep "$(awk -v ns="$(date +%N)" 'BEGIN { printf "%.3f", 1.02 - ns / 1e9 }')"
  keys_to "$box" Return
  while xdotool search --all --onlyvisible --pid "$program_pid" --name "^Select Deal\$" >/dev/null; do
    sleep 0.05
  done
}

stop_program() {
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=
}

# A first start writes the settings; each game is then made the current one
# (its catalogue position) so that the next start deals it at once.
start_program
window_of_program >/dev/null
sleep 1
stop_program
width=${DESKTOP_SCREEN%x*}
height=${DESKTOP_SCREEN#*x}
for entry in 9:freecell 13:penguin 3:double-freecell 17:seven-by-five; do
  position=${entry%%:*}
  name=${entry#*:}
  sqlite3 "$CARDWRIGHT_REGISTRY" \
    "UPDATE vals SET data = x'$(printf '%02x' "$position")000000' WHERE fold = 'cursolid';"
  start_program
  window=$(window_of_program)
  # No window manager runs: a maximised window is one that fills the screen.
  xdotool windowmove "$window" 0 0 windowsize "$window" "$width" "$height"
  sleep 1
  deal_first "$window"
  # Grabbed at once (xwd starts faster than import), before the clock's first tick.
  sleep 0.1
  xwd -root -silent >"$work/screen.xwd"
  convert "xwd:$work/screen.xwd" "$out/desktop-$name-$DESKTOP_SCREEN.png"
  stop_program
done
