#!/usr/bin/env bash
# Starts the real vorlant under Xvfb on a generated folder tree, ticks the folder in the selection
# dialog, lets it scan and saves a screenshot of the screen, so anyone can look at the result.
# Usage: tests/e2e/screenshot.sh [VORLANT] [OUTPUT.png]
#   VORLANT     the program (default build/dev/src/app/vorlant)
#   OUTPUT.png  where the screenshot goes (default vorlant-screenshot.png)
# Needs Xvfb, xdotool, xwd and netpbm (scripts/deps.sh screenshot); exits 77 (skipped) without them.
set -euo pipefail

bin=$(realpath "${1:-build/dev/src/app/vorlant}")
out=${2:-vorlant-screenshot.png}
for tool in Xvfb xdotool xwd xwdtopnm pnmtopng; do
    command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (scripts/deps.sh screenshot)" >&2; exit 77; }
done
[ -x "$bin" ] || { echo "screenshot.sh: no program at $bin" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    local rc=$?
    set +e
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
    exit "$rc"
}
trap cleanup EXIT

# A tree of 30 files over nested folders, sizes from bytes to gigabytes (sparse), dates over decades.
tree="$work/Projects"
i=0
for dir in "" archive archive/2019 "media/holiday films" media/music src/engine src/engine/tests "build/very/deep/output/folder"; do
    mkdir -p "$tree/$dir"
    for n in 1 2 3 4; do
        i=$((i + 1))
        [ $i -gt 30 ] && break
        f="$tree/$dir/file number $i.$( [ $((i % 3)) -eq 0 ] && echo iso || echo dat )"
        truncate -s $(( (i * i * i * 7919) % 3000000000 + i * 1000 )) "$f"
        touch -d "$((1990 + i))-$(( i % 12 + 1 ))-$(( i % 27 + 1 )) 1$(( i % 10 )):0$(( i % 6 )):00" "$f"
    done
done

# A display of our own: Xvfb picks a free number and tells it once it is ready.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "screenshot.sh: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

wait_window() { # NAME SECONDS: prints the id of the first visible window with that name
    local t=$(( $2 * 10 ))
    for _ in $(seq "$t"); do
        if id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

QT_QPA_PLATFORM=xcb "$bin" "$tree" >"$work/vorlant.log" 2>&1 &
app_pid=$!

dialog=$(wait_window Auswahl 30) || { echo "screenshot.sh: the selection dialog did not open" >&2; cat "$work/vorlant.log" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$dialog")"
# Tick the first line (the folder): select it, then toggle its check box with the space bar.
xdotool mousemove $((X + 80)) $((Y + 8)) click 1
sleep 0.2
xdotool key space
sleep 0.2
# "Ok" is the top button of the panel on the right.
xdotool mousemove $((X + WIDTH - 105 + 6 + 46)) $((Y + 10 + 11)) click 1

# The status window shows while the folder is scanned and goes when it is done.
wait_window Information 10 >/dev/null || true
for _ in $(seq 600); do
    xdotool search --onlyvisible --name '^Information$' >/dev/null 2>&1 || break
    sleep 0.1
done
sleep 1
xdotool search --onlyvisible --name '^Information$' >/dev/null 2>&1 && { echo "screenshot.sh: the scan did not end" >&2; exit 1; }
kill -0 "$app_pid" 2>/dev/null || { echo "screenshot.sh: vorlant ended early" >&2; cat "$work/vorlant.log" >&2; exit 1; }
xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out"
# A screen with a chart on it compresses far worse than an empty one.
[ "$(stat -c %s "$out")" -gt 20000 ] || { echo "screenshot.sh: $out looks empty" >&2; exit 1; }
echo "screenshot.sh: saved $out"
