#!/bin/bash
# Start-up time and memory of Cardwright beside two other patience programs,
# KDE's kpat and GNOME's sol, on one private Xvfb display (1280x1024) in one run.
#
# Every start is watched from outside by startup_watch (startup_watch.cpp,
# built by this script into its scratch folder; it needs a C++ compiler and
# the Xlib and DAMAGE headers, Debian's libxdamage-dev). It sees each drawing
# into the program's windows as the X server does it, so no polling costs
# anything and a bigger window is not timed more coarsely. For each start:
# - mapped: launch until the first window is mapped;
# - painted: launch until the last drawing before 200 ms without any, the
#   picture then not being one plain colour (a dealing animation counts until
#   its last card lands);
# - at picture: the processor time of all the program's threads and its page
#   faults, read the moment that last drawing is reported. These two barely
#   move on a busy machine, unlike the times on the clock: they are the
#   figures to compare builds by;
# - 3 s later: resident set (VmRSS), proportional set (Pss, shared pages split
#   among their users) and processor time again.
# Then the program is asked to close its window, as a user would, so it ends in
# its own way and cleans up after itself (it is terminated if it has not ended
# 5 s later). A program that dies before its picture settles, shows no window
# within 30 s or never settles within 60 s stops the run with a message.
#
# For every program and build: one warm-up start (fills the disk cache and
# writes the program's first-run settings), then RUNS measured starts. The
# starts are interleaved: each round starts every program once, each round in
# another order, so a change in the machine's load falls on all of them alike.
#
# Every program opens FreeCell at start: Cardwright through its stored
# current game, kpat with --gametype freecell, sol with --variation freecell.
# Cardwright's settings are put back as the warm-up left them before every
# start, so every start deals afresh instead of resuming the last one.
# kpat and sol come from Debian (packages kpat and aisleriot); they are
# installed for this measurement only and never by the build.
#
# Output: one line per program with the medians, as it always was:
#   NAME mapped MS painted MS VmRSS KB Pss KB cpu MS (median of RUNS; painted
#   runs: each start's painted time; load LOW-HIGH)
# where cpu is at 3 s and load is the machine's load average over the last
# minute, lowest and highest at the starts: a figure measured on a busy machine
# is not comparable with one from a quiet one. Then a line with the processor
# time and page faults at the picture, and the spread of every figure as
# [lower quartile, upper quartile].
#
# usage: startup_beside_others.sh CARDWRIGHT_BUILD_DIR[,...] [RUNS] [PICTURE_DIR]
# RUNS defaults to 15. Several Cardwright builds, separated by commas, are
# measured in the same rounds, each named by an optional "LABEL=" before its
# folder or else by its place in the list: e.g.
#   startup_beside_others.sh before=/tmp/before-build,after=build 21
# names its lines cardwright/before, cardwright/after, and so on.
# STARTUP_PROGRAMS names the programs to measure, of
# "cardwright cardwright-vga kpat sol" (all of them unless told); e.g.
# STARTUP_PROGRAMS="cardwright cardwright-vga" to compare two builds.
# STARTUP_CARDWRIGHT_WINDOW=WxH (e.g. 240x294) has Cardwright open at that
# size, as a window kept from an earlier run, instead of its first size on a
# desktop screen: builds whose first windows differ can then be compared at
# one size. A build that keeps no window place opens as it always does.
# PICTURE_DIR, if given, receives each program's picture from its last start.
set -euo pipefail

if [[ ${STARTUP_DISPLAY_READY:-} != 1 ]]; then
  # kpat leaves at once without a session bus; every program gets the same one.
  # Without -noreset the server starts afresh whenever its last client leaves,
  # between two starts, and a program connecting meanwhile fails to start.
  STARTUP_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" dbus-run-session -- "$0" "$@"
fi

here=$(dirname "$(realpath "$0")")
IFS=, read -ra build_list <<<"$1"
runs=${2:-15}
pictures=${3:-}

work=$(mktemp -d)
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
# Whatever a program leaves in the temporary folder goes with the scratch folder.
export XDG_RUNTIME_DIR=$work TMPDIR=$work

c++ -std=c++20 -O2 -o "$work/startup_watch" "$here/startup_watch.cpp" -lX11 -lXdamage

# Starts one program under the watch; prints its figures, or its error output
# and fails.
run_watched() {
  local picture=$1
  shift
  local args=()
  [[ -n $picture ]] && args=(--picture "$picture")
  if ! "$work/startup_watch" "${args[@]}" "$@" 2>"$work/program-errors"; then
    echo "startup_beside_others: $* failed; its error output ends:" >&2
    tail -n 5 "$work/program-errors" >&2
    return 1
  fi
}

# Cardwright keeps its settings in its registry file: a first start writes
# them all, then FreeCell (catalogue position 9) is made the current game so
# every later start deals it at once instead of opening the chooser.
prepare_cardwright() {
  local registry=$1 program=$2
  CARDWRIGHT_REGISTRY=$registry run_watched "" "$program" >/dev/null
  sqlite3 "$registry" "UPDATE vals SET data = x'09000000' WHERE fold = 'cursolid';"
  if [[ -n ${STARTUP_CARDWRIGHT_WINDOW:-} ]]; then
    local width=${STARTUP_CARDWRIGHT_WINDOW%x*} height=${STARTUP_CARDWRIGHT_WINDOW#*x}
    # The kept place: left, top, width and height as little-endian 32-bit numbers.
    local place
    place=$(for n in 0 0 "$width" "$height"; do printf '%02X%02X%02X%02X' $((n & 255)) $((n >> 8 & 255)) $((n >> 16 & 255)) $((n >> 24 & 255)); done)
    sqlite3 "$registry" "UPDATE vals SET data = x'$place' WHERE fold = 'place';"
  fi
}

# One start of the measured program NAME; the figures are added to its results.
start() {
  local name=$1 picture=$2
  local command
  read -ra command <"$work/$name.command"
  [[ -f $work/$name.registry ]] && cp "$work/$name.registry" "$work/$name.sqlite3"
  cut -d' ' -f1 /proc/loadavg >>"$work/$name.loads"
  CARDWRIGHT_REGISTRY=$work/$name.sqlite3 run_watched "$picture" "${command[@]}" \
    >>"$work/$name.results"
}

# "MEDIAN [Q1, Q3]" of the numbers on the input, to DIGITS decimals.
spread() {
  sort -g | awk -v digits="$1" '
    { v[NR] = $1 }
    function q(p,   at, i) {
      at = 1 + (NR - 1) * p
      i = int(at)
      return v[i] + (at - i) * (v[i + 1] - v[i])
    }
    END { printf "%." digits "f [%." digits "f, %." digits "f]\n", q(0.5), q(0.25), q(0.75) }'
}
median() { spread 0 | cut -d' ' -f1; }

report() {
  local name=$1 results loads
  results=$work/$(file_of "$name").results loads=$work/$(file_of "$name").loads
  column() { cut -d' ' -f"$1" "$results"; }
  local line='%-16s mapped %5s ms  painted %5s ms  VmRSS %7s kB  Pss %7s kB  cpu %5s ms   '
  line+='(median of %d; painted runs: %s; load %s-%s)\n'
  printf "$line" "$name" "$(column 1 | median)" "$(column 2 | median)" "$(column 3 | median)" \
    "$(column 4 | median)" "$(column 5 | median)" "$runs" \
    "$(column 2 | tr '\n' ' ' | sed 's/ $//')" \
    "$(sort -g "$loads" | head -n 1)" "$(sort -g "$loads" | tail -n 1)"
  line='%-16s at picture: cpu %s ms, page faults %s; painted %s ms; cpu at 3 s %s ms; VmRSS %s kB\n'
  printf "$line" "" "$(column 6 | spread 1)" "$(column 7 | spread 0)" "$(column 2 | spread 0)" \
    "$(column 5 | spread 1)" "$(column 3 | spread 0)"
}

[[ -n $pictures ]] && mkdir -p "$pictures"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

# A measured program's name as a file name: cardwright/before gives cardwright-before.
file_of() { echo "${1//\//-}"; }

# Every measured program: its name, its command in NAME.command and, for
# Cardwright, its prepared settings in NAME.registry.
names=()
for program in ${STARTUP_PROGRAMS:-cardwright cardwright-vga kpat sol}; do
  case $program in
    cardwright | cardwright-vga)
      for ((b = 0; b < ${#build_list[@]}; ++b)); do
        entry=${build_list[b]} label=$((b + 1))
        [[ $entry == *=* ]] && label=${entry%%=*} entry=${entry#*=}
        name=$program
        ((${#build_list[@]} > 1)) && name=$program/$label
        file=$(file_of "$name")
        echo "$(realpath "$entry")/shell/$program" >"$work/$file.command"
        prepare_cardwright "$work/$file.registry" "$(cat "$work/$file.command")"
        names+=("$name")
      done
      ;;
    kpat) echo /usr/games/kpat --gametype freecell >"$work/kpat.command" && names+=(kpat) ;;
    sol) echo /usr/games/sol --variation freecell >"$work/sol.command" && names+=(sol) ;;
    *) echo "startup_beside_others: no program $program" >&2; exit 2 ;;
  esac
done

for name in "${names[@]}"; do
  start "$(file_of "$name")" "" >/dev/null
  : >"$work/$(file_of "$name").results"
  : >"$work/$(file_of "$name").loads"
done
for ((run = 1; run <= runs; ++run)); do
  for ((i = 0; i < ${#names[@]}; ++i)); do
    name=${names[(i + run) % ${#names[@]}]}
    picture=""
    ((run == runs)) && [[ -n $pictures ]] && picture=$pictures/startup-$(file_of "$name").png
    start "$(file_of "$name")" "$picture"
  done
done
for name in "${names[@]}"; do report "$name"; done
