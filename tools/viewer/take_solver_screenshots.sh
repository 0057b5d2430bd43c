#!/bin/bash
# Screenshots of the solver's commands in the program's real window, played
# with real X input (xdotool) on a private Xvfb display, with "Winnable deals
# only" on:
#   solver-option-*        Options, Game page, the option ticked;
#   solver-dead-end-*      Can This Game Be Won? after Baker's Game deal 5 was
#                          played into a dead end two moves back;
#   solver-can-be-won-*    the same question after those two moves are undone;
#   solver-winning-move-*  Show Winning Move, caught while the card blinks.
# Each picture is taken on the handheld's screen in the QVGA and the VGA build
# (the window filling 240×320 or 480×640) and on a 1280×720 desktop (the QVGA
# build's window filling the screen, as a maximised window does, with each
# box over it taken with the table around it); the blink
# is checked against the viewer's picture of the deal with the solver's first
# move selected.
#
# usage: tools/viewer/take_solver_screenshots.sh BUILD_DIR [OUT_DIR]
set -euo pipefail

build=$(realpath "${1:?build directory}")
out=$(realpath -m "${2:-$(dirname "$0")/../../docs/screenshots}")
cli=$build/tools/cli/cardwright-cli

if [[ ${SOLVER_SHOTS_DISPLAY_READY:-} != 1 ]]; then
  mkdir -p "$out"
  for setting in qvga:240x320:1 vga:480x640:2 desktop:1280x720:1; do
    IFS=: read -r name screen scale <<<"$setting"
    # Without -noreset the server starts afresh whenever its last client
    # leaves, between two starts, and a program connecting meanwhile fails.
    SOLVER_SHOTS_DISPLAY_READY=1 SOLVER_SHOTS_NAME=$name SOLVER_SHOTS_SCALE=$scale \
      xvfb-run -a -s "-screen 0 ${screen}x24 -noreset" "$0" "$build" "$out"
  done
  exit 0
fi

unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR CARDWRIGHT_DPI
shot_name=$SOLVER_SHOTS_NAME
s=$SOLVER_SHOTS_SCALE
suffix=
((s == 2)) && suffix=-vga
program=$build/shell/cardwright$suffix
viewer=$build/tools/viewer/cardwright-viewer$suffix

game="Baker's Game"
number=5
# Twelve moves of a winning line, then a card to the last free cell and the
# only move left after it: no way to win is left, two moves back there is.
winning_start=(8:0 32:8 5:1 3:9 30:6 7:0 29:6 45:10 5:11 6:0 5:0 42:1)
dead_end=(10:11 20:3)

work=$(mktemp -d)
export CARDWRIGHT_REGISTRY=$work/registry.sqlite3 XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# shellcheck source=tests/shell/x_play.sh
source "$(dirname "$0")/../../tests/shell/x_play.sh"
end_run_on_exit "solver screenshots ($shot_name)"

fail() {
  echo "solver screenshots ($shot_name): $*" >&2
  exit 1
}

# The pen rests on the field's empty bottom left, away from cards and buttons.
park_pointer() {
  xdotool mousemove $((X + 4 * s)) $((Y + field_h - 30 * s))
}

stop_program() {
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=
}

# Taps the left soft key (OK) of dialog $1.
press_ok() {
  local box_x box_y box_w box_h
  read -r box_x box_y box_w box_h < <(geometry_of "$1")
  xdotool mousemove $((box_x + 30 * s)) $((box_y + box_h - 13 * s)) click 1
  park_pointer
}

# Keys pressed in window $1 (no window manager gives it the focus).
keys_to() {
  local target=$1
  shift
  xdotool windowfocus --sync "$target" key "$@"
}

# Waits for the top-level window whose whole name is $1 (a pattern); prints it.
window_named() {
  timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1 ||
    fail "no window \"$1\" appeared (the program said: $(tail -n 5 "$work/program.log"))"
}

# The window gone, within five seconds.
wait_gone() {
  for ((try = 0; try < 50; ++try)); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the window \"$1\" stayed open"
}

# Sets window, X, Y, WIDTH, HEIGHT and the field's size (above the 26-pixel
# menu bar, scaled) of the main window showing deal $number.
find_main_window() {
  window=$(window_named "$game #$number")
  # No window manager runs: a maximised window is one that fills the screen.
  if [[ $shot_name == desktop ]]; then
    xdotool windowmove "$window" 0 0 windowsize "$window" 1280 720
    sleep 1
  fi
  read -r X Y WIDTH HEIGHT < <(geometry_of "$window")
  field_h=$((HEIGHT - 26 * s))
  field_size="$((WIDTH / s))x$((field_h / s))"
}

# What a picture of box $1 shows: on a desktop the whole screen, the box over
# the table it asks about; on a handheld the box, which fills the screen.
box_picture() {
  if [[ $shot_name == desktop ]]; then echo root; else echo "$1"; fi
}

# Grabs window $2 (the main window unless told) as picture $1.
grab() {
  import -window "${2:-$window}" "png:$work/$1.png"
}

# Grabs window $2 until two grabs a moment apart are alike: it has settled.
wait_for_still() {
  for ((try = 0; try < 30; ++try)); do
    grab "$1-before" "${2:-}"
    sleep 0.3
    grab "$1" "${2:-}"
    same_picture "$work/$1-before.png" "$work/$1.png" && return 0
  done
  fail "the screen never settled for $1"
}

# The field of window grab $1 as picture $2, and the viewer's picture $3 of
# the same size, each with the clock's corner blacked out: the viewer draws a
# clock, the program here none.
fields_of() {
  local clock_w=$((WIDTH / 6 > 75 * s ? WIDTH / 6 : 75 * s)) clock_h=$((field_h / 8 > 22 * s ? field_h / 8 : 22 * s))
  local corner="rectangle $((WIDTH - clock_w)),$((field_h - clock_h)) $((WIDTH - 1)),$((field_h - 1))"
  convert "$1" -crop "${WIDTH}x$field_h+0+0" +repage -fill black -draw "$corner" "$2"
  convert "$3" -fill black -draw "$corner" "$3"
}

same_picture() {
  [[ $(compare -metric AE "$1" "$2" null: 2>&1 || true) == 0 ]]
}

shot() {
  cp "$work/$1.png" "$out/$2-$shot_name.png"
  echo "$out/$2-$shot_name.png"
}

# The Menu button is the last of the icons on the bar: the last run of
# columns across the bar's middle band that differ from its colour,
# runs narrower than four pixels (the separator lines) left out.
menu_button_x() {
  grab bar
  convert "$work/bar.png" -crop "${WIDTH}x$((13 * s))+0+$((field_h + 7 * s))" +repage txt:- |
    awk -v least=$((4 * s)) -v gap=$((4 * s)) '
      NR == 1 { next }
      { split($1, at, /[,:]/); x = at[1] + 0; if (bar == "") bar = $3; if ($3 != bar) ink[x] = 1; if (x > right) right = x }
      END {
        start = -1
        for (x = 0; x <= right + gap + 1; ++x) {
          if (ink[x]) { if (start < 0) start = x; last = x }
          else if (start >= 0 && x - last > gap) { if (last - start + 1 >= least) found = int((start + last) / 2); start = -1 }
        }
        if (found == "") exit 1
        print found
      }'
}

# Opens the Menu button's popup and chooses its entry $1 (counted from 1,
# separators left out) with the arrow keys.
menu_command() {
  local x
  x=$(menu_button_x) || fail "no Menu button on the bar"
  xdotool mousemove $((X + x)) $((Y + field_h + 13 * s)) click 1
  local popup='' tries=0
  while [[ -z $popup ]] && ((tries++ < 50)); do
    sleep 0.1
    popup=$(xdotool search --onlyvisible --pid "$program_pid" | grep -vx "$window" | head -n 1 || true)
  done
  [[ -n $popup ]] || fail "the Menu button opened no popup"
  sleep 0.3
  local i
  for ((i = 0; i < $1; ++i)); do xdotool key Down; done
  xdotool key Return
  park_pointer
}

readonly kCanThisGameBeWon=7 kShowWinningMove=6 kOptions=8

# Asks Can This Game Be Won? and keeps the answer's box as picture $1.
ask_whether_winnable() {
  menu_command $kCanThisGameBeWon
  local box
  box=$(window_named "Can This Game Be Won\\?")
  wait_for_still "$1" "$(box_picture "$box")"
  shot "$1" "$2"
  press_ok "$box"
  wait_gone "Can This Game Be Won\\?"
}

# ---------------------------------------------------------------- the settings

# A first start writes the settings (and opens the chooser, as for any new
# player); then Baker's Game becomes the current game, with winnable deals
# only, no animation and no clock on the table.
start_program
window_named "Select Solitaire" >/dev/null
stop_program
row=$("$cli" games | awk -F'\t' -v name="$game" '$3 == name { print $1 }')
[[ -n $row ]] || fail "$game is not in the catalogue"
sqlite3 "$CARDWRIGHT_REGISTRY" "
  UPDATE vals SET data = x'$(printf '%02x' "$row")000000' WHERE fold = 'cursolid';
  UPDATE vals SET data = x'00' WHERE fold IN ('animation', 'timedgame', 'showtimer');
  UPDATE vals SET data = x'01' WHERE fold = 'winnabledealsonly';"

# ---------------------------------------------------------------- the option

start_program
window=$(window_named "$game #[0-9]+")
read -r X Y WIDTH HEIGHT < <(geometry_of "$window")
if [[ $shot_name == desktop ]]; then
  xdotool windowmove "$window" 0 0 windowsize "$window" 1280 720
  sleep 1
  read -r X Y WIDTH HEIGHT < <(geometry_of "$window")
fi
field_h=$((HEIGHT - 26 * s))
park_pointer
wait_for_still dealt
menu_command $kOptions
options=$(window_named Options)
wait_for_still option "$(box_picture "$options")"
shot option solver-option
keys_to "$options" Escape
wait_gone Options

# ---------------------------------------------------------------- the dead end

# Select Deal (Ctrl+G) deals number 5.
keys_to "$window" ctrl+g
deal_box=$(window_named "Select Deal")
sleep 0.3
keys_to "$deal_box" ctrl+a BackSpace "$number"
press_ok "$deal_box"
find_main_window
park_pointer

moves=()
for move in "${winning_start[@]}" "${dead_end[@]}"; do
  drag "$move" "${moves[@]}"
  moves+=("$move")
  sleep 0.2
done
# The table must be the deal after those moves as the viewer draws it.
"$viewer" --game "$game" --number "$number" --moves "$(joined "${moves[@]}")" --size "$field_size" \
  --screenshot "$work/expected-dead-end.png" 2>/dev/null || fail "the viewer could not draw the dead end"
wait_for_still dead-end-table
fields_of "$work/dead-end-table.png" "$work/dead-end-field.png" "$work/expected-dead-end.png"
same_picture "$work/dead-end-field.png" "$work/expected-dead-end.png" ||
  fail "the drags did not lead to the dead end (see dead-end-field.png and expected-dead-end.png)"
ask_whether_winnable dead-end solver-dead-end

# ---------------------------------------------------------------- back, and the winning move

keys_to "$window" ctrl+z
sleep 0.3
keys_to "$window" ctrl+z
park_pointer
moves=("${winning_start[@]}")
wait_for_still undone
ask_whether_winnable can-be-won solver-can-be-won

# The program's search and the command line's make the same first move.
hint=$("$cli" solve "$game" "$number" "${moves[@]}" | sed -n 2p)
[[ -n $hint ]] || fail "the command line found no winning move"
"$viewer" --game "$game" --number "$number" --moves "$(joined "${moves[@]}")" --select "${hint%%:*}" \
  --size "$field_size" --screenshot "$work/expected-hint.png" 2>/dev/null || fail "the viewer could not select card ${hint%%:*}"
menu_command $kShowWinningMove
# Grabs as fast as they come: the blink lasts under two seconds.
for ((try = 0; try < 25; ++try)); do grab "hint-$try"; done
caught=
for ((try = 0; try < 25; ++try)); do
  fields_of "$work/hint-$try.png" "$work/hint-$try-field.png" "$work/expected-hint.png"
  if same_picture "$work/hint-$try-field.png" "$work/expected-hint.png"; then
    caught=hint-$try
    break
  fi
done
[[ -n $caught ]] || fail "Show Winning Move never showed card ${hint%%:*} selected"
shot "$caught" solver-winning-move

stop_program
passed=1
