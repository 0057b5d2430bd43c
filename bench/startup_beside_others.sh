#!/bin/bash
# Start-up time and memory of Cardwright beside two other patience programs,
# KDE's kpat and GNOME's sol, on one private Xvfb display in one run.
#
# For every program: one warm-up start (fills the disk cache and writes the
# program's first-run settings), then RUNS measured starts. A start is timed
# from launch until the window's picture is painted and settled: the time
# of the first grab of a picture that stays unchanged for 200 ms and is not
# one plain colour (so a dealing animation counts until the last card lands).
# Grabs are about 30 ms apart, which bounds the resolution.
# Memory is read 3 s after that from /proc: resident set (VmRSS) and
# proportional set (Pss, shared pages split among their users); with it the
# processor time all the program's threads have run so far (from schedstat),
# which a busy machine stretches far less than the times on the clock.
#
# Every program opens FreeCell at start: Cardwright through its stored
# current game, kpat with --gametype freecell, sol with --variation freecell.
# kpat and sol come from Debian (packages kpat and aisleriot); they are
# installed for this measurement only and never by the build.
#
# Each line ends with the machine's load average over the last minute, taken
# when the program's runs are done: a figure measured on a busy machine is
# not comparable with one from a quiet one.
#
# usage: startup_beside_others.sh CARDWRIGHT_BUILD_DIR [RUNS] [PICTURE_DIR]
# STARTUP_PROGRAMS names the programs to measure, of
# "cardwright cardwright-vga kpat sol" (all of them unless told); e.g.
# STARTUP_PROGRAMS="cardwright cardwright-vga" to compare two builds.
# STARTUP_CARDWRIGHT_WINDOW=WxH (e.g. 240x294) has Cardwright open at that
# size, as a window kept from an earlier run, instead of its first size on a
# desktop screen: builds whose first windows differ can then be compared at
# one size. A build that keeps no window place opens as it always does.
set -euo pipefail

if [[ ${STARTUP_DISPLAY_READY:-} != 1 ]]; then
  # kpat leaves at once without a session bus; every program gets the same one.
  # Without -noreset the server starts afresh whenever its last client leaves,
  # between two starts, and a program connecting meanwhile fails to start.
  STARTUP_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" dbus-run-session -- "$0" "$@"
fi

build=$(realpath "$1")
runs=${2:-5}
pictures=${3:-}

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work
program_pid=
cleanup() {
  [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }

grab() { xwd -silent -id "$1" 2>/dev/null | md5sum | cut -d' ' -f1; }
is_plain() { (($(xwd -silent -id "$1" 2>/dev/null | convert xwd:- -format %k info: 2>/dev/null || echo 1) <= 1)); }

# The program's largest visible window, if it shows one yet.
main_window_of() {
  local best="" best_area=0 window WIDTH HEIGHT X Y SCREEN WINDOW
  for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)" || continue
    if ((WIDTH * HEIGHT > best_area)); then
      best=$window
      best_area=$((WIDTH * HEIGHT))
    fi
  done
  [[ -n $best ]] && echo "$best"
}

# Waits for the window of a started program and prints it; fails, naming the
# program, if it exits first or shows nothing within 30 s.
await_window() {
  local pid=$1 name=$2 window deadline=$(($(now_ms) + 30000))
  until window=$(main_window_of "$pid"); do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "startup_beside_others: $name exited before showing a window; its error output:" >&2
      tail -n 5 "$work/program-errors" >&2
      return 1
    fi
    if (($(now_ms) >= deadline)); then
      echo "startup_beside_others: $name showed no window within 30 s" >&2
      return 1
    fi
    sleep 0.01
  done
  echo "$window"
}

# Milliseconds all threads of a process have spent running.
cpu_ms_of() {
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ ns += $1 } END { printf "%d\n", ns / 1000000 }'
}

# Starts one program and prints "MAPPED_MS PAINTED_MS RSS_KB PSS_KB CPU_MS".
measure() {
  local picture=$1
  shift
  local start
  start=$(now_ms)
  "$@" >/dev/null 2>"$work/program-errors" &
  program_pid=$!
  local window="" mapped painted previous current
  window=$(await_window "$program_pid" "$*")
  mapped=$(($(now_ms) - start))
  previous=""
  local seen_at=0 at
  while true; do
    at=$(($(now_ms) - start))
    current=$(grab "$window")
    if [[ $current != "$previous" ]]; then
      previous=$current
      seen_at=$at
    elif ((at - seen_at >= 200)) && ! is_plain "$window"; then
      painted=$seen_at
      break
    fi
    ((at < 60000)) || { echo "$* never settled" >&2; return 1; }
    sleep 0.02
  done
  sleep 3
  local rss pss cpu
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$program_pid/status")
  pss=$(awk '/^Pss:/ { print $2 }' "/proc/$program_pid/smaps_rollup")
  cpu=$(cpu_ms_of "$program_pid")
  [[ -n $picture ]] && import -window "$window" "$picture" 2>/dev/null
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  echo "$mapped $painted $rss $pss $cpu"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)) }'; }

# Cardwright keeps its settings in its registry file: a first start writes
# them all, then FreeCell (catalogue position 9) is made the current game so
# every later start deals it at once instead of opening the chooser.
prepare_cardwright() {
  local registry=$1 program=$2
  CARDWRIGHT_REGISTRY=$registry "$program" >/dev/null 2>"$work/program-errors" &
  program_pid=$!
  await_window "$program_pid" "$program" >/dev/null
  sleep 1
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  sqlite3 "$registry" "UPDATE vals SET data = x'09000000' WHERE fold = 'cursolid';"
  if [[ -n ${STARTUP_CARDWRIGHT_WINDOW:-} ]]; then
    local width=${STARTUP_CARDWRIGHT_WINDOW%x*} height=${STARTUP_CARDWRIGHT_WINDOW#*x}
    # The kept place: left, top, width and height as little-endian 32-bit numbers.
    local place
    place=$(for n in 0 0 "$width" "$height"; do printf '%02X%02X%02X%02X' $((n & 255)) $((n >> 8 & 255)) $((n >> 16 & 255)) $((n >> 24 & 255)); done)
    sqlite3 "$registry" "UPDATE vals SET data = x'$place' WHERE fold = 'place';"
  fi
}

report() {
  local name=$1
  shift
  local results=$work/$name.txt
  : >"$results"
  measure "" "$@" >/dev/null
  for ((run = 1; run <= runs; ++run)); do
    local picture=""
    ((run == runs)) && [[ -n $pictures ]] && picture=$pictures/startup-$name.png
    measure "$picture" "$@" >>"$results"
  done
  printf '%-16s mapped %5s ms  painted %5s ms  VmRSS %7s kB  Pss %7s kB  cpu %5s ms   (median of %d; painted runs: %s; load %s)\n' \
    "$name" "$(cut -d' ' -f1 "$results" | median)" "$(cut -d' ' -f2 "$results" | median)" \
    "$(cut -d' ' -f3 "$results" | median)" "$(cut -d' ' -f4 "$results" | median)" \
    "$(cut -d' ' -f5 "$results" | median)" "$runs" \
    "$(cut -d' ' -f2 "$results" | tr '\n' ' ' | sed 's/ $//')" "$(cut -d' ' -f1 /proc/loadavg)"
}

[[ -n $pictures ]] && mkdir -p "$pictures"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

for program in ${STARTUP_PROGRAMS:-cardwright cardwright-vga kpat sol}; do
  case $program in
    cardwright | cardwright-vga)
      prepare_cardwright "$work/registry-$program.sqlite3" "$build/shell/$program"
      CARDWRIGHT_REGISTRY=$work/registry-$program.sqlite3 report "$program" "$build/shell/$program"
      ;;
    kpat) report kpat /usr/games/kpat --gametype freecell ;;
    sol) report sol /usr/games/sol --variation freecell ;;
    *) echo "startup_beside_others: no program $program" >&2; exit 2 ;;
  esac
done
