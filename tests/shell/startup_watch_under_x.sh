#!/bin/bash
# The start-up bench's watch (bench/startup_watch.cpp), on a private Xvfb
# display: a start of the program gives seven figures that agree with each
# other, a picture that is not one colour, and a program that ended by itself
# and cleaned up; a program that ends before showing anything, or cannot be
# started, fails the watch at once instead of holding it.
# usage: startup_watch_under_x.sh WATCH_SOURCE PROGRAM
set -euo pipefail

if [[ ${WATCH_DISPLAY_READY:-} != 1 ]]; then
  WATCH_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi
source=$1 program=$2
unset QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/runtime CARDWRIGHT_REGISTRY=$work/registry.sqlite3
mkdir -p "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

fail() {
  echo "startup watch: $*" >&2
  exit 1
}

c++ -std=c++20 -O2 -o "$work/startup_watch" "$source" -lX11 -lXdamage

"$work/startup_watch" --picture "$work/picture.png" "$program" >"$work/figures" 2>"$work/errors" ||
  fail "the program's start failed: $(cat "$work/errors")"
read -r mapped painted rss pss cpu picture_cpu faults extra <"$work/figures"
[[ -z ${extra:-} && -n $faults ]] || fail "not seven figures: $(cat "$work/figures")"
awk -v m="$mapped" -v p="$painted" -v r="$rss" -v s="$pss" -v c="$cpu" -v pc="$picture_cpu" \
  -v f="$faults" 'BEGIN { exit !(0 < m && m <= p && 0 < s && s <= r && 0 < pc && pc <= c && f > 0) }' ||
  fail "figures that disagree: $(cat "$work/figures")"
(($(convert "$work/picture.png" -format %k info:) > 1)) || fail "the picture is one colour"
# The program ended on its own when asked to close: nothing of it is left.
[[ -z $(ls -A "$TMPDIR") ]] || fail "left behind: $(ls -A "$TMPDIR")"

start=$(date +%s)
if "$work/startup_watch" false >/dev/null 2>"$work/errors"; then fail "a program that ends at once passed"; fi
grep -q "exited before its picture settled" "$work/errors" || fail "said: $(cat "$work/errors")"
(($(date +%s) - start < 5)) || fail "waited for a program that had ended"

if "$work/startup_watch" "$work/no-such-program" >/dev/null 2>"$work/errors"; then
  fail "a program that cannot start passed"
fi
grep -q "cannot start" "$work/errors" || fail "said: $(cat "$work/errors")"
echo "startup watch: passed"
