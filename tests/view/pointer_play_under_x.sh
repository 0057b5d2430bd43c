#!/bin/bash
# Plays the first moves of a Seven by Five deal in cardwright-viewer with real
# X pointer events (xdotool on a private Xvfb display): once by tapping source
# and destination in the QVGA build, once by drag and drop in the VGA build.
# After each run the table the viewer's engine ends with must equal what
# cardwright-cli play prints for the same moves.
#
# usage: pointer_play_under_x.sh VIEWER VIEWER_VGA CLI [NUMBER [MOVES]]
set -euo pipefail

if [[ ${POINTER_PLAY_DISPLAY_READY:-} != 1 ]]; then
  POINTER_PLAY_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 800x700x24" "$0" "$@"
fi

# The window must open on the Xvfb display, whatever platform the suite
# otherwise runs Qt on; the viewer picks offscreen for --print-layout itself.
unset QT_QPA_PLATFORM

viewer=$1
viewer_vga=$2
cli=$3
game="Seven by Five"
number=${4:-8}
move_count=${5:-6}

work=$(mktemp -d)
# Qt wants a private runtime folder; the scratch folder is one (mode 0700).
export XDG_RUNTIME_DIR=$work
viewer_pid=
cleanup() {
  [[ -n $viewer_pid ]] && kill "$viewer_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "pointer play: $*" >&2
  exit 1
}

# Each move is the first legal one onto a column (piles 0-6), else the first
# legal one, of a card not moved before, so the runs move cards between
# columns and into cells rather than back and forth.
moves=()
for ((i = 0; i < move_count; ++i)); do
  listed=$("$cli" moves "$game" "$number" "${moves[@]}")
  moved=" ${moves[*]%%:*} "
  choice=$(awk -F: -v moved="$moved" '
    index(moved, " " $1 " ") { next }
    $2 + 0 <= 6 && column == "" { column = $0 }
    any == "" { any = $0 }
    END { print (column != "" ? column : any) }' <<<"$listed")
  [[ -n $choice ]] || fail "deal $number has no move after ${moves[*]}"
  moves+=("$choice")
done
echo "moves: ${moves[*]}"

joined() {
  local IFS=,
  echo "$*"
}

# Field coordinates of "card N" or "pile N" with the moves before it played.
point_of() {
  local program=$1 kind=$2 which=$3
  shift 3
  "$program" --game "$game" --number "$number" --moves "$(joined "$@")" --print-layout |
    awk -v kind="$kind" -v which="$which" '$1 == kind && $2 == which { print $3, $4; found = 1; exit }
      END { if (!found) exit 1 }'
}

blocks_in() { grep -c '^--$' "$1" || true; }

play() {
  local program=$1 mode=$2 out=$work/$2.out
  "$program" --game "$game" --number "$number" --mode "$mode" --print-table >"$out" 2>"$work/$mode.err" &
  viewer_pid=$!
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name "Cardwright viewer" | head -n 1) ||
    fail "$mode: the viewer's window did not appear"
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$window")"

  for ((i = 0; i < ${#moves[@]}; ++i)); do
    local card=${moves[i]%%:*} pile=${moves[i]##*:}
    local cx cy px py
    read -r cx cy < <(point_of "$program" card "$card" "${moves[@]:0:i}") || fail "$mode: card $card not on the field"
    read -r px py < <(point_of "$program" pile "$pile" "${moves[@]:0:i}") || fail "$mode: pile $pile not on the field"
    if [[ $mode == tapping ]]; then
      xdotool mousemove $((X + cx)) $((Y + cy)) click 1
      xdotool mousemove $((X + px)) $((Y + py)) click 1
    else
      # Past the 4-pixel threshold in small steps, then across to the pile.
      xdotool mousemove $((X + cx)) $((Y + cy)) mousedown 1
      xdotool mousemove $((X + cx + 2)) $((Y + cy + 3)) sleep 0.05 mousemove $((X + cx + 5)) $((Y + cy + 7)) sleep 0.05
      xdotool mousemove $((X + (cx + px) / 2)) $((Y + (cy + py) / 2)) sleep 0.05
      xdotool mousemove $((X + px)) $((Y + py)) sleep 0.05 mouseup 1
    fi
    local waited=0
    while (($(blocks_in "$out") < i + 1)); do
      ((waited++ < 200)) || fail "$mode: move ${moves[i]} was not made (viewer said: $(cat "$work/$mode.err"))"
      sleep 0.05
    done
  done
  kill "$viewer_pid"
  wait "$viewer_pid" 2>/dev/null || true
  viewer_pid=

  # The last block: the lines after the next-to-last "--" up to the last.
  awk '/^--$/ { if (++seen == want) exit; block = ""; next } { block = block $0 "\n" } END { printf "%s", block }' \
    want="${#moves[@]}" "$out" >"$work/$mode.table"
  if ! diff -u "$work/expected.table" "$work/$mode.table"; then
    fail "$mode: the viewer's table differs from cardwright-cli play"
  fi
  echo "$mode: $((${#moves[@]})) moves, table equals cardwright-cli play"
}

"$cli" play "$game" "$number" "${moves[@]}" >"$work/expected.table"
play "$viewer" tapping
play "$viewer_vga" drag
