#!/bin/bash
# A new player's first session with the program, played with real X input
# (xdotool on a private Xvfb display) against a fresh registry:
#   1. the first start opens the solitaire chooser by itself; FreeCell is
#      picked with the pen and Play; its deal appears;
#   2. the program is closed and started again; the deal comes back; cards
#      are dragged and dropped;
#   3. Undo, Show Next Move, Restart Game;
#   4. two moves, a close and a start: position, undo history and clock
#      come back; New Game deals another game.
# Every table the window shows is compared with the picture cardwright-viewer
# renders offscreen for the same deal and moves (or with an earlier grab of
# the window), the clock's corner left out as it ticks.
#
# usage: new_player_under_x.sh PROGRAM VIEWER CLI [SCREENSHOT_DIR]
# PROGRAM and VIEWER are of the same build (QVGA or VGA). Screenshots of the
# steps go to SCREENSHOT_DIR, named <build>-<step>-<what>.png; without it they
# stay in the work folder, which is kept when the run fails.
set -euo pipefail

program=$1
viewer=$2
cli=$3
shot_dir=${4:-}

# The program and the viewer pick their own scaling; an inherited one (or the
# offscreen platform a test environment may set) would break the comparison.
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR CARDWRIGHT_DPI

game=FreeCell
# The viewer's field at its default size tells the build: 240 pixels wide in
# the QVGA build, twice that in the VGA build.
scale_of_viewer() {
  local probe
  probe=$(mktemp --suffix=.png)
  "$viewer" --game "$game" --number 1 --screenshot "$probe" 2>/dev/null
  local width
  width=$(identify -format '%w' "$probe")
  rm -f "$probe"
  echo $((width / 240))
}

if [[ ${NEW_PLAYER_DISPLAY_READY:-} != 1 ]]; then
  scale=$(scale_of_viewer)
  # The handheld's screen: the main window and its dialogs fill it. Without
  # -noreset the server starts afresh whenever its last client leaves,
  # between two starts, and a program connecting meanwhile fails.
  NEW_PLAYER_DISPLAY_READY=1 NEW_PLAYER_SCALE=$scale \
    exec xvfb-run -a -s "-screen 0 $((240 * scale))x$((320 * scale))x24 -noreset" "$0" "$@"
fi

s=$NEW_PLAYER_SCALE
case $s in
  1) build=qvga ;;
  2) build=vga ;;
  *) echo "new player: the viewer's field is neither QVGA nor VGA wide" >&2; exit 1 ;;
esac

work=$(mktemp -d)
# shellcheck source=tests/shell/x_play.sh
source "$(dirname "$0")/x_play.sh"

[[ -n $shot_dir ]] || shot_dir=$work/screenshots
mkdir -p "$shot_dir"
end_run_on_exit "new player ($build)"

fail() {
  echo "new player ($build): $*" >&2
  exit 1
}

export CARDWRIGHT_REGISTRY=$work/registry.sqlite3
export XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# The field fills the main window above the 26-pixel menu bar (scaled). The
# main window must be the handheld's work area, 240×294, scaled, and lie
# wholly on the screen. A grab holds only the part of the window on
# the screen, so the field's pictures are cut to that part. The clock is
# drawn in the field's bottom right corner, inside 70×20 pixels.
field_w=
set_field() {
  field_w=$WIDTH
  field_h=$((HEIGHT - 26 * s))
  field_size="$((field_w / s))x$((field_h / s))"
  bar_y=$((field_h + 13 * s))
  local off_x=$((X < 0 ? -X : 0)) off_y=$((Y < 0 ? -Y : 0))
  shown_field="$((field_w - off_x))x$((field_h - off_y))"
  shown_offset="+$off_x+$off_y"
  local left=$((field_w - 75 * s - off_x)) top=$((field_h - 22 * s - off_y))
  clock_box="$left,$top $((field_w - 1 - off_x)),$((field_h - 1 - off_y))"
  clock_crop="$((75 * s))x$((22 * s))+$left+$top"
  if ((WIDTH != 240 * s || HEIGHT != 294 * s || X < 0 || Y < 0)); then
    fail "the main window is ${WIDTH}x$HEIGHT at $X,$Y, not $((240 * s))x$((294 * s)) on the screen"
  fi
}

# ---------------------------------------------------------------- pictures

grab() {
  import -window "$window" "png:$work/$1.png"
}

# The field of a window grab with the clock's corner blacked out.
field_of() {
  convert "$1" -crop "$shown_field+0+0" +repage -fill black -draw "rectangle $clock_box" "$2"
}

# The viewer's picture of deal $number after the moves given, clock blacked out.
render() {
  local out=$1
  shift
  "$viewer" --game "$game" --number "$number" --moves "$(joined "$@")" --size "$field_size" --screenshot "$work/raw-$out.png" 2>/dev/null ||
    fail "the viewer could not render deal $number after $*"
  convert "$work/raw-$out.png" -crop "$shown_field$shown_offset" +repage -fill black -draw "rectangle $clock_box" "$work/$out.png"
}

render_selected() {
  local out=$1 card=$2
  shift 2
  "$viewer" --game "$game" --number "$number" --moves "$(joined "$@")" --select "$card" --size "$field_size" --screenshot "$work/raw-$out.png" 2>/dev/null ||
    fail "the viewer could not select card $card of deal $number"
  convert "$work/raw-$out.png" -crop "$shown_field$shown_offset" +repage -fill black -draw "rectangle $clock_box" "$work/$out.png"
}

differing_pixels() {
  compare -metric AE "$1" "$2" null: 2>&1 || true
}

same_picture() {
  [[ $(differing_pixels "$1" "$2") == 0 ]]
}

# Grabs the window as $1 until its field equals picture $2 (moves slide, so
# the table settles after a few frames); fails after five seconds.
wait_for_field() {
  local name=$1 expected=$2 what=$3
  for ((try = 0; try < 50; ++try)); do
    grab "$name"
    field_of "$work/$name.png" "$work/$name-field.png"
    same_picture "$work/$name-field.png" "$expected" && return 0
    sleep 0.1
  done
  compare "$work/$name-field.png" "$expected" "$work/$name-diff.png" 2>/dev/null || true
  fail "$what: the window's field differs from $(basename "$expected") in $(differing_pixels "$work/$name-field.png" "$expected") pixels (see $name-diff.png)"
}

# Grabs the window as $1 until two grabs a moment apart are alike (the clock's
# corner aside): the window is painted and settled.
wait_for_still() {
  local name=$1
  for ((try = 0; try < 20; ++try)); do
    grab "$name-before"
    sleep 0.3
    grab "$name"
    convert "$work/$name-before.png" -fill black -draw "rectangle $clock_box" "$work/$name-before-masked.png"
    convert "$work/$name.png" -fill black -draw "rectangle $clock_box" "$work/$name-masked.png"
    same_picture "$work/$name-before-masked.png" "$work/$name-masked.png" && return 0
  done
  fail "the window never settled"
}

shot() {
  cp "$work/$1.png" "$shot_dir/$build-$2.png"
}

# ---------------------------------------------------------------- input

# The pen rests on the field's empty bottom left, away from the menu bar's
# buttons (which light up under it) and from every card.
park_pointer() {
  xdotool mousemove $((X < 0 ? 0 : X + 4 * s)) $((Y + field_h - 30 * s))
}

# The icon menu bar holds Undo, Show Next Move, Help and the Menu button, in
# that order, with separator lines between some of them. Their icons are of
# the build's own size, so they are found on the bar: the columns across the
# bar's middle that differ from its colour, runs of them narrower than four
# pixels (the separators) left out.
declare -A bar_button_x
locate_bar_buttons() {
  local picture=$1 off_x=${shown_offset#+}
  off_x=${off_x%%+*}
  local found
  found=$(convert "$picture" -crop "${shown_field%x*}x$((13 * s))+0+$((field_h + 7 * s))" +repage txt:- |
    awk -v least=$((4 * s)) -v gap=$((4 * s)) '
      NR == 1 { next }
      { split($1, at, /[,:]/); x = at[1] + 0; if (bar == "") bar = $3; if ($3 != bar) ink[x] = 1; if (x > right) right = x }
      END {
        start = -1
        for (x = 0; x <= right + gap + 1; ++x) {
          if (ink[x]) { if (start < 0) start = x; last = x }
          else if (start >= 0 && x - last > gap) { if (last - start + 1 >= least) printf "%d ", (start + last) / 2; start = -1 }
        }
      }')
  local centres
  read -r -a centres <<<"$found"
  ((${#centres[@]} == 4)) || fail "the menu bar shows ${#centres[@]} buttons, not Undo, Show Next Move, Help and Menu"
  local name i=0
  for name in undo hint help menu; do
    bar_button_x[$name]=$((off_x + centres[i++]))
  done
}

press_bar() {
  xdotool mousemove $((X + ${bar_button_x[$1]})) $((Y + bar_y)) click 1
}

# Opens the Menu button's popup and taps its nth entry (New Game is the
# first, Restart Game the second; each entry is 22 pixels high).
choose_menu_entry() {
  local entry=$1
  press_bar menu
  # The popup is the program's other visible window.
  local popup='' tries=0
  while [[ -z $popup ]] && ((tries++ < 50)); do
    sleep 0.1
    popup=$(xdotool search --onlyvisible --pid "$program_pid" | grep -vx "$window" | head -n 1 || true)
  done
  [[ -n $popup ]] || fail "the Menu button opened no popup"
  local px py
  read -r px py _ < <(geometry_of "$popup")
  sleep 0.2
  xdotool mousemove $((px + 40 * s)) $((py + (11 + 22 * entry) * s)) click 1
  park_pointer
}

# The next move for the script: the first legal one onto a column (piles
# 0-7), else the first legal one, of a card not moved before if there is
# one, so that every move shows on the table.
next_move() {
  local moved=
  (($# > 0)) && moved=$(printf '%s\n' "$@" | cut -d: -f1 | tr '\n' ' ')
  "$cli" moves "$game" "$number" "$@" | awk -F: -v moved=" $moved" '
    $1 == "tap" { next }
    index(moved, " " $1 " ") == 0 && $2 + 0 <= 7 && fresh_column == "" { fresh_column = $0 }
    index(moved, " " $1 " ") == 0 && fresh == "" { fresh = $0 }
    $2 + 0 <= 7 && column == "" { column = $0 }
    any == "" { any = $0 }
    END { print (fresh_column != "" ? fresh_column : fresh != "" ? fresh : column != "" ? column : any) }'
}

# ---------------------------------------------------------------- the program

# The top-level window named $1 once it shows (the main window's title adds
# the deal number); sets window, X, Y, WIDTH and HEIGHT. The main window keeps
# the size it first had.
find_window() {
  window=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1( #[0-9]+)?\$" | head -n 1) ||
    fail "no window \"$1\" appeared (the program said: $(tail -n 5 "$work/program.log"))"
  read -r X Y WIDTH HEIGHT < <(geometry_of "$window")
  ((WIDTH / s >= 240 && WIDTH / s < 260)) ||
    fail "the window \"$1\" is $WIDTH pixels wide: program and viewer of different builds?"
  if [[ $1 == "$game" ]]; then
    if [[ -z $field_w ]]; then
      set_field
    elif ((WIDTH != field_w || HEIGHT != field_h + 26 * s)); then
      fail "the main window is ${WIDTH}x$HEIGHT now, ${field_w}x$((field_h + 26 * s)) before"
    fi
  fi
}

# Closes the main window as the window system's close box does (the
# WM_DELETE_WINDOW protocol message), then waits for the program to end.
close_program() {
  python3 - "$window" <<'EOF'
import ctypes, sys
xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XInternAtom.restype = ctypes.c_ulong
xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

class ClientMessage(ctypes.Structure):
    # XClientMessageEvent, padded to the size of an XEvent.
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                            ctypes.POINTER(ClientMessage)]
xlib.XFlush.argtypes = [ctypes.c_void_p]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = xlib.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1])
CLIENT_MESSAGE = 33
event = ClientMessage(type=CLIENT_MESSAGE, window=window, format=32,
                      message_type=xlib.XInternAtom(display, b"WM_PROTOCOLS", 0))
event.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
xlib.XFlush(display)
xlib.XCloseDisplay(display)
EOF
  for ((try = 0; try < 100; ++try)); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program_pid" 2>/dev/null && fail "the program did not end when its window was closed"
  local status=0
  wait "$program_pid" || status=$?
  program_pid=
  ((status == 0)) || fail "the program ended with status $status when its window was closed"
}

# A value of the registry (read-only, the program having ended) as an
# unsigned little-endian number: the value $2 of the key named $1, or of the
# first key whose name starts so; with $3 and $4, the bytes $3 to $3+$4-1.
registry_number() {
  python3 - "$CARDWRIGHT_REGISTRY" "$@" <<'EOF'
import sqlite3, sys
path, key, value = sys.argv[1:4]
first, length = (int(sys.argv[4]), int(sys.argv[5])) if len(sys.argv) > 5 else (0, None)
db = sqlite3.connect("file:" + path + "?mode=ro", uri=True)
row = db.execute("SELECT v.data FROM vals v JOIN keys k ON k.id = v.key "
                 "WHERE (k.name = ?1 OR k.name GLOB ?1 || '[0-9]') AND v.name = ?2 ORDER BY k.id",
                 (key, value)).fetchone()
if row is None:
    sys.exit("no value %s of key %s" % (value, key))
data = bytes(row[0])
data = data[first:] if length is None else data[first:first + length]
print(int.from_bytes(data, "little"))
EOF
}

# ---------------------------------------------------------------- 1. first start

start_program
find_window "Select Solitaire"
grab chooser-open
# The chooser lists the games in catalogue order; FreeCell's row is its
# catalogue position. Rows are 15 pixels high from the list's top (below the
# 25-pixel title and the 22-pixel filter row, inside a 1-pixel frame).
row=$("$cli" games | awk -F'\t' -v name="$game" '$3 == name { print $1 }')
game_id=$("$cli" games | awk -F'\t' -v name="$game" '$3 == name { print $2 }')
[[ -n $row ]] || fail "$game is not in the catalogue"
row_y=$(((48 + 15 * row + 7) * s))
xdotool mousemove $((X + 60 * s)) $((Y + row_y)) click 1
sleep 0.3
grab chooser-picked
# The row tapped is the selected one: drawn in the selection's colour.
selected_colour=$(convert "$work/chooser-picked.png" -format "%[pixel:p{$((30 * s)),$row_y}]" info:)
plain_colour=$(convert "$work/chooser-open.png" -format "%[pixel:p{$((30 * s)),$row_y}]" info:)
[[ $selected_colour != "$plain_colour" ]] || fail "tapping $game's row in the chooser did not select it"
shot chooser-picked 1-chooser
# Play, the left soft key.
xdotool mousemove $((X + 30 * s)) $((Y + HEIGHT - 13 * s)) click 1
find_window "$game"
park_pointer
wait_for_still dealt-first
shot dealt-first 2-dealt
locate_bar_buttons "$work/dealt-first.png"

# ---------------------------------------------------------------- 2. the deal's number

# The deal's number is shown nowhere; the program keeps it with the
# preferences when it closes, and the same deal must come back at the next start.
close_program
number=$(registry_number prefs curGameNumber)
[[ $(registry_number prefs curSolId) == "$row" ]] || fail "the registry does not name $game the current game"
echo "$build: deal $number"
field_of "$work/dealt-first.png" "$work/dealt-first-field.png"
render deal
same_picture "$work/dealt-first-field.png" "$work/deal.png" ||
  fail "the first deal is not deal $number as the viewer draws it"

start_program
find_window "$game"
park_pointer
wait_for_field dealt-again "$work/deal.png" "start after a close"

# ---------------------------------------------------------------- 3. drag, undo, hint, restart

moves=()
for ((i = 0; i < 3; ++i)); do
  move=$(next_move "${moves[@]}")
  [[ -n $move ]] || fail "deal $number has no move after ${moves[*]}"
  drag "$move" "${moves[@]}"
  moves+=("$move")
  render "after-$((i + 1))" "${moves[@]}"
  wait_for_field "moved-$((i + 1))" "$work/after-$((i + 1)).png" "drag of $move"
done
echo "$build: dragged ${moves[*]}"
shot moved-3 3-moved

press_bar undo
park_pointer
wait_for_field undone "$work/after-2.png" "Undo"
same_picture "$work/undone-field.png" "$work/moved-2-field.png" || fail "Undo does not show the table before the last move"
shot undone 4-undone

# Show Next Move blinks the first legal move's card (selected, plain,
# selected, plain), then its destination; one grab must catch the card
# selected, and the table must be as it was afterwards.
hint=$("$cli" moves "$game" "$number" "${moves[@]:0:2}" | head -n 1)
render_selected hint-expected "${hint%%:*}" "${moves[@]:0:2}"
press_bar hint
park_pointer
# Grabs first, as fast as they come; the blink lasts under two seconds.
for ((try = 0; try < 20; ++try)); do grab "hint-$try"; done
caught=
for ((try = 0; try < 20; ++try)); do
  field_of "$work/hint-$try.png" "$work/hint-$try-field.png"
  if same_picture "$work/hint-$try-field.png" "$work/hint-expected.png"; then
    caught=hint-$try
    break
  fi
done
[[ -n $caught ]] || fail "Show Next Move never showed card ${hint%%:*} selected"
shot "$caught" 5-hint
wait_for_field after-hint "$work/after-2.png" "the end of the hint"

choose_menu_entry 1
wait_for_field restarted "$work/deal.png" "Restart Game"
shot restarted 6-restarted
# The clock of a game just begun, in its first two or three seconds: what a
# clock started again from nothing would show.
fresh_clocks=()
for ((try = 0; try < 12; ++try)); do
  grab fresh-clock-$try
  convert "$work/fresh-clock-$try.png" -crop "$clock_crop" +repage "$work/fresh-clock-$try.png"
  fresh_clocks+=("$work/fresh-clock-$try.png")
  sleep 0.1
done

# ---------------------------------------------------------------- 4. resume

replay=()
for ((i = 0; i < 2; ++i)); do
  drag "${moves[i]}" "${replay[@]}"
  replay+=("${moves[i]}")
  wait_for_field "replayed-$((i + 1))" "$work/after-$((i + 1)).png" "drag of ${moves[i]} after the restart"
done
# Well past the seconds the fresh clocks cover.
sleep 6
grab before-close
close_program
# A saved game starts with its game's id (2 bytes) and the seconds played (4).
seconds=$(registry_number gameState data 2 4)
[[ $(registry_number gameState data 0 2) == "$game_id" ]] || fail "the saved game is not $game's"
((seconds >= 7)) || fail "the saved game has only $seconds seconds played"

start_program
find_window "$game"
park_pointer
field_of "$work/before-close.png" "$work/before-close-field.png"
wait_for_field resumed "$work/before-close-field.png" "the start after two moves"
same_picture "$work/resumed-field.png" "$work/after-2.png" || fail "the game resumed is not deal $number after ${moves[*]:0:2}"
# The first grab that shows the table, within a second or so of the start.
convert "$work/resumed.png" -crop "$clock_crop" +repage "$work/resumed-clock.png"
(($(identify -format '%k' "$work/resumed-clock.png") > 1)) || fail "the clock does not show after the start"
for clock in "${fresh_clocks[@]}"; do
  same_picture "$work/resumed-clock.png" "$clock" && fail "the clock started again from nothing ($seconds seconds were saved)"
done
shot resumed 7-resumed

press_bar undo
park_pointer
wait_for_field resumed-undone "$work/after-1.png" "Undo after the start"
same_picture "$work/resumed-undone-field.png" "$work/replayed-1-field.png" ||
  fail "Undo after the start does not show the table before the last move"

choose_menu_entry 0
for ((try = 0; try < 50; ++try)); do
  grab new-game
  field_of "$work/new-game.png" "$work/new-game-field.png"
  same_picture "$work/new-game-field.png" "$work/resumed-undone-field.png" || break
  sleep 0.1
done
same_picture "$work/new-game-field.png" "$work/resumed-undone-field.png" && fail "New Game changed nothing on the table"
same_picture "$work/new-game-field.png" "$work/deal.png" && fail "New Game dealt deal $number again"
wait_for_still new-game
field_of "$work/new-game.png" "$work/new-game-field.png"
shot new-game 8-new-game
close_program
old_number=$number
number=$(registry_number prefs curGameNumber)
((number != old_number)) || fail "New Game kept deal $number"
render new-deal
same_picture "$work/new-game-field.png" "$work/new-deal.png" || fail "New Game's table is not deal $number as the viewer draws it"

echo "$build: chooser, $((${#moves[@]} + ${#replay[@]})) drags, Undo, Show Next Move, Restart Game, close and resume ($seconds s), New Game (deal $number): all as expected"
passed=1
