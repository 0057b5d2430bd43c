#!/bin/bash
# A game played with real X input (xdotool on a private Xvfb display) outlives
# the program's end by a signal. Each run, against a fresh registry:
#   1. the program deals FreeCell; a few cards are dragged onto their piles;
#   2. at a random moment between two moves the program gets the run's
#      signal (TERM or KILL);
#   3. started again, it resumes; a TERM ends it once its table is shown;
#   4. the game its slot then holds is compared with `cardwright-cli play` of
#      the moves made: equal after TERM; after KILL equal to the table after
#      the last move, or at worst after the one before it.
#
# usage: resume_after_kill_under_x.sh PROGRAM VIEWER CLI SAVED_TABLE_TOOL SIGNAL...
# PROGRAM and VIEWER are of the QVGA build. Each SIGNAL (TERM or KILL) is one
# run; the tally of the runs is printed at the end.
set -euo pipefail

program=$1
viewer=$2
cli=$3
tool=$4
shift 4
signals=("$@")
((${#signals[@]} > 0)) || { echo "usage: $0 PROGRAM VIEWER CLI SAVED_TABLE_TOOL SIGNAL..." >&2; exit 2; }

unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR CARDWRIGHT_DPI

if [[ ${RESUME_DISPLAY_READY:-} != 1 ]]; then
  RESUME_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 240x320x24" "$0" "$program" "$viewer" "$cli" "$tool" "$@"
fi

game=FreeCell
work=$(mktemp -d)
drag_pause=0.03
# shellcheck source=tests/shell/x_play.sh
source "$(dirname "$0")/x_play.sh"

end_run_on_exit "resume after kill" KILL

fail() {
  echo "resume after kill (run $run, $signal): $*" >&2
  exit 1
}

export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

find_window() {
  window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$program_pid" --name "^$game\$" | head -n 1) ||
    fail "no window \"$game\" appeared (the program said: $(tail -n 5 "$work/program.log"))"
  read -r X Y WIDTH HEIGHT < <(geometry_of "$window")
  field_size="${WIDTH}x$((HEIGHT - 26))"
}

# Waits for the program to end by itself, at most five seconds; $1 the
# status expected.
wait_for_end() {
  for ((try = 0; try < 50; ++try)); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program_pid" 2>/dev/null && fail "the program did not end after SIGTERM"
  local status=0
  wait "$program_pid" || status=$?
  program_pid=
  ((status == $1)) || fail "the program ended with status $status, not $1"
}

park_pointer() { xdotool mousemove $((X + 4)) $((Y + HEIGHT - 56)); }

# The first legal move that is no tap, of a card not moved before if any.
next_move() {
  local moved=
  (($# > 0)) && moved=$(printf '%s\n' "$@" | cut -d: -f1 | tr '\n' ' ')
  "$cli" moves "$game" "$number" "$@" | awk -F: -v moved=" $moved" '
    $1 == "tap" { next }
    index(moved, " " $1 " ") == 0 && fresh == "" { fresh = $0 }
    any == "" { any = $0 }
    END { print (fresh != "" ? fresh : any) }'
}

saved_table() { "$tool" table "$game" 2>/dev/null || true; }
# `cardwright-cli deal` prints no state line; `play` with no move is refused.
table_after() {
  if (($# == 0)); then
    "$cli" deal "$game" "$number"
    echo playing
  else
    "$cli" play "$game" "$number" "$@"
  fi
}

# Waits until the slot holds the table after moves "$@" (saved after the move).
wait_for_saved() {
  local expected
  expected=$(table_after "$@")
  for ((try = 0; try < 50; ++try)); do
    [[ $(saved_table) == "$expected" ]] && return 0
    sleep 0.1
  done
  fail "the slot never held the table after ${#@} moves"
}

term_equal=0 kill_last=0 kill_before=0
run=0
for signal in "${signals[@]}"; do
  run=$((run + 1))
  export CARDWRIGHT_REGISTRY=$work/registry-$run.sqlite3
  export XDG_DATA_HOME=$work/data-$run
  mkdir -p "$XDG_DATA_HOME"
  "$tool" prepare "$game" || fail "the registry could not be prepared"

  start_program
  find_window
  park_pointer
  # The deal is saved (as every deal is) once it is made.
  number=
  for ((try = 0; try < 50; ++try)); do
    number=$("$tool" number)
    [[ $number != 0 ]] && break
    sleep 0.1
  done
  [[ $number != 0 ]] || fail "no deal number was saved"
  wait_for_saved

  moves=()
  count=$((1 + RANDOM % 4))
  for ((m = 0; m < count; ++m)); do
    move=$(next_move "${moves[@]}")
    [[ -n $move ]] || break
    drag "$move" "${moves[@]}"
    moves+=("$move")
    # TERM comes when the move is done (a signal is no move); KILL at any moment.
    [[ $signal == TERM || $m -lt $((count - 1)) ]] && wait_for_saved "${moves[@]}"
  done
  sleep "0.$(printf '%03d' $((RANDOM % 300)))"
  kill -"$signal" "$program_pid"
  if [[ $signal == TERM ]]; then
    wait_for_end 0
  else
    wait "$program_pid" 2>/dev/null || true
    program_pid=
  fi

  start_program
  find_window
  sleep 0.5  # shown, so the resumed game is saved as this program's
  kill -TERM "$program_pid"
  wait_for_end 0

  resumed=$(saved_table)
  after_last=$(table_after "${moves[@]}")
  after_before=$(table_after "${moves[@]:0:${#moves[@]}-1}")
  if [[ $resumed == "$after_last" ]]; then
    [[ $signal == TERM ]] && term_equal=$((term_equal + 1)) || kill_last=$((kill_last + 1))
  elif [[ $signal == KILL && $resumed == "$after_before" ]]; then
    kill_before=$((kill_before + 1))
  else
    printf '%s\n' "$resumed" >"$work/resumed-$run.txt"
    printf '%s\n' "$after_last" >"$work/expected-$run.txt"
    fail "after ${#moves[@]} moves (${moves[*]}) of deal $number the resumed game differs (see resumed-$run.txt)"
  fi
done

echo "resume after kill: ${#signals[@]} runs: TERM equal $term_equal; KILL after the last move $kill_last, after the one before $kill_before"
passed=1
