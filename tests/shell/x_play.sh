# Shared by the scripts that play the real program under Xvfb with xdotool.
# The sourcing script sets: program, viewer, cli, game, number, work,
# field_size, X and Y (the window's place on the screen), and defines fail
# and park_pointer; drag_pause (seconds between pointer steps) may be set.

# From here on, leaving ends the program (with signal $2, TERM unless
# given) and removes $work once the sourcing script has set passed=1; a run
# that failed keeps it and says so, named by $1.
end_run_on_exit() {
  run_label=$1
  end_signal=${2:-TERM}
  program_pid=
  passed=0
  trap end_run EXIT
}

end_run() {
  if [[ -n $program_pid ]] && kill -0 "$program_pid" 2>/dev/null; then
    kill "-$end_signal" "$program_pid" 2>/dev/null || true
  fi
  if ((passed)); then rm -rf "$work"; else echo "$run_label: pictures and logs kept in $work" >&2; fi
}

# Starts the program in the background; its output goes to $work/program.log.
start_program() {
  "$program" >>"$work/program.log" 2>&1 &
  program_pid=$!
}

# "X Y WIDTH HEIGHT" of window $1 on the screen.
geometry_of() {
  xdotool getwindowgeometry --shell "$1" |
    awk -F= '{ at[$1] = $2 } END { print at["X"], at["Y"], at["WIDTH"], at["HEIGHT"] }'
}

# The moves given, as the viewer's --moves takes them.
joined() {
  local IFS=,
  echo "$*"
}

# Field coordinates of "card N" or "pile N" with the moves before it played.
point_of() {
  local kind=$1 which=$2
  shift 2
  "$viewer" --game "$game" --number "$number" --moves "$(joined "$@")" --size "$field_size" --print-layout 2>/dev/null |
    awk -v kind="$kind" -v which="$which" '$1 == kind && $2 == which { print $3, $4; found = 1; exit }
      END { if (!found) exit 1 }'
}

# Drags the card of move $1 onto its pile, the moves before it being the rest:
# pen down on the card, past the 4-pixel threshold in small steps, across,
# pen up over the pile.
drag() {
  local move=$1 pause=${drag_pause:-0.05}
  shift
  local card=${move%%:*} pile=${move##*:} cx cy px py
  read -r cx cy < <(point_of card "$card" "$@") || fail "card $card is not on the field"
  read -r px py < <(point_of pile "$pile" "$@") || fail "pile $pile is not on the field"
  xdotool mousemove $((X + cx)) $((Y + cy)) mousedown 1
  xdotool mousemove $((X + cx + 2)) $((Y + cy + 3)) sleep "$pause" mousemove $((X + cx + 5)) $((Y + cy + 7)) sleep "$pause"
  xdotool mousemove $((X + (cx + px) / 2)) $((Y + (cy + py) / 2)) sleep "$pause"
  xdotool mousemove $((X + px)) $((Y + py)) sleep "$pause" mouseup 1
  park_pointer
}
