#!/usr/bin/env bash
# End to end: the editor on a private X server. Shows its start-up window
# (a screenshot is kept when a folder is given), saves the design through
# the real save dialog by typing a full path, checks the file byte for byte,
# and lets the clock open that design from the same folder: an ellipse of
# 177 x 177 pixels.
#
# Usage: maker_e2e.sh OrbelleMaker OrbelleDo [screenshot folder]
# Exit status 77 (skipped) when a tool it needs is missing.

set -u

maker_binary=${1:?path of OrbelleMaker}
clock_binary=${2:?path of OrbelleDo}
shots=${3:-${ORBELLE_E2E_SHOTS:-}}
# Seconds one wait may take; generous, because the machines that run this
# are often busy compiling.
timeout=${ORBELLE_E2E_TIMEOUT:-30}

for tool in Xvfb xdotool xwininfo import trayer; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: '$tool' is not installed (needed: Xvfb xdotool xwininfo import trayer)"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/maker-e2e.XXXXXX")
pids=()

stop_all() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        # A program that ignores the polite request gets the hard one.
        local until=$((SECONDS + 5))
        while kill -0 "$pid" 2>/dev/null && ((SECONDS < until)); do
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    pids=()
}

cleanup() {
    local status=$?
    stop_all
    if ((status != 0 && status != 77)); then
        # To standard error: a failure inside a silenced wait still shows.
        for log in "$work"/*.log; do
            [[ -s $log ]] || continue
            echo "---- ${log##*/}"
            tail -n 20 "$log"
        done >&2
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# wait_for WHAT COMMAND...: runs COMMAND until it succeeds, for at most
# $timeout seconds.
wait_for() {
    local what=$1
    shift
    local deadline=$((SECONDS + timeout))
    until "$@"; do
        ((SECONDS < deadline)) || fail "gave up after ${timeout}s waiting for $what"
        sleep 0.1
    done
}

# ---- A private display. The number is chosen well above the ones that
# servers asking for "any free display" take, so that a server starting
# at the same time never probes (and disturbs) this one; a number that
# turns out to be taken just means another try.
mkfifo "$work/displayfd"
xvfb_pid=
for attempt in 1 2 3 4 5 6 7 8; do
    number=$((200 + RANDOM % 600))
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    Xvfb ":$number" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/displayfd" >>"$work/xvfb.log" 2>&1 &
    candidate=$!
    reported=
    # Ready once it names its display; a server that cannot have the
    # number ends and closes the pipe instead.
    exec 4<"$work/displayfd"
    read -r -t "$timeout" reported <&4
    exec 4<&-
    if [[ $reported == "$number" ]] && kill -0 "$candidate" 2>/dev/null; then
        xvfb_pid=$candidate
        pids+=("$xvfb_pid")
        break
    fi
    kill "$candidate" 2>/dev/null
    wait "$candidate" 2>/dev/null
done
[[ -n $xvfb_pid ]] || fail "could not start Xvfb on a free display"
export DISPLAY=":$number"
echo "display $DISPLAY"

# The programs see a clean, private desktop session.
export QT_QPA_PLATFORM=xcb
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY SESSION_MANAGER

wait_for "the X server" xwininfo -root >/dev/null

# A program that ends while it is being waited for fails the test at once.
alive() {
    kill -0 "$2" 2>/dev/null || fail "$1 ended unexpectedly"
}

# ---- Helpers on windows.

# The ids of the mapped windows of a process.
windows_of() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null
}

# window_field ID FIELD: a number xwininfo prints for the window.
window_field() {
    xwininfo -id "$1" 2>/dev/null | sed -n "s/^ *$2: *\(-\{0,1\}[0-9]*\).*/\1/p"
}

viewable() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# pixel_at X Y: the colour of one pixel of the screen as #RRGGBB.
pixel_at() {
    import -window root -crop "1x1+$1+$2" txt:- 2>/dev/null | sed -n 's/.*\(#[0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1
}

# ---- The editor, in a folder of its own.
mkdir -p "$work/maker" "$work/designs"
cp "$maker_binary" "$work/maker/OrbelleMaker"
# Started from another folder: start-up moves into the program's own.
(cd / && exec "$work/maker/OrbelleMaker") >"$work/maker.log" 2>&1 &
maker_pid=$!
pids+=("$maker_pid")

editor_window() {
    local id
    alive "the X server" "$xvfb_pid"
    alive "the editor" "$maker_pid"
    for id in $(xdotool search --onlyvisible --name '^オルベルメーカー$' 2>/dev/null); do
        viewable "$id" && echo "$id" && return 0
    done
    return 1
}
wait_for "the editor window" editor_window >/dev/null
editor=$(editor_window)

width=$(window_field "$editor" Width)
height=$(window_field "$editor" Height)
[[ $width == 565 && $height == 458 ]] || fail "editor client area is ${width}x${height}, expected 565x458"
left=$(window_field "$editor" 'Absolute upper-left X')
top=$(window_field "$editor" 'Absolute upper-left Y')
# Placed centred on the 1024 x 768 screen, give or take a pixel.
((left >= 228 && left <= 231 && top >= 153 && top <= 156)) ||
    fail "editor window at $left,$top, expected it centred near 229,155"
echo "editor window $editor: ${width}x${height} at $left,$top"

# The canvas is painted once its bare grey shows (canvas pixel 240,330).
canvas_painted() {
    [[ $(pixel_at $((left + 190 + 240)) $((top + 3 + 330))) == "#808080" ]]
}
wait_for "the design canvas to be painted" canvas_painted
if [[ -n $shots ]]; then
    mkdir -p "$shots"
    import -window root "$shots/maker-startup.png" || fail "no screenshot"
    echo "screenshot $shots/maker-startup.png"
fi

# ---- Save through the real dialog.
# "設定ファイル保存": twips (60 + 135, 300 + 5325) in the client area,
# 2460 x 375 twips, that is pixels (13, 375), 164 x 25.
xdotool mousemove --sync $((left + 13 + 82)) $((top + 375 + 12)) click 1

# The dialog is a managed window; the save button's tooltip, which may come
# up first on a busy machine, bypasses the window manager.
managed() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Override Redirect State: no'
}
save_dialog() {
    local id
    for id in $(windows_of "$maker_pid"); do
        [[ $id != "$editor" ]] && viewable "$id" && managed "$id" && echo "$id" && return 0
    done
    return 1
}
wait_for "the save dialog" save_dialog >/dev/null
dialog=$(save_dialog)
echo "save dialog $dialog: $(xdotool getwindowname "$dialog")"

# The dialog opens with the name field focused; the window system gives the
# dialog the keyboard once it is viewable.
xdotool windowfocus --sync "$dialog" 2>/dev/null
focused_dialog() {
    [[ $(xdotool getwindowfocus 2>/dev/null) == "$dialog" ]]
}
wait_for "the dialog to take the keyboard" focused_dialog
if [[ -n $shots ]]; then
    import -window root "$shots/maker-save-dialog.png"
fi
target="$work/designs/tokei-set.ini"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "$target"
xdotool key Return

wait_for "$target to be written" test -f "$target"
dialog_closed() {
    ! viewable "$dialog"
}
wait_for "the dialog to close" dialog_closed

expected="$work/expected.ini"
printf '%s\r\n' '2660,2660' '' '0,0' '#TRUE#,#FALSE#,#FALSE#' '1290,1260,2400,2400' '1,1,1,1' \
    '16777215,255,65280,16711935' '"100","90","70"' '' '134,206' '1950,3015' >"$expected"
if ! cmp -s "$expected" "$target"; then
    echo "written:"
    od -c "$target" | head -n 20
    fail "the saved design differs from the start-up design"
fi
echo "saved design matches, $(wc -c <"$target") bytes"
[[ $(ls "$work/designs") == tokei-set.ini ]] || fail "the save left more than the file: $(ls "$work/designs")"
kill -0 "$maker_pid" 2>/dev/null || fail "the editor ended after saving"

# ---- "終了" ends the editor: pixels (13, 403), 164 x 25.
xdotool mousemove --sync $((left + 13 + 82)) $((top + 403 + 12)) click 1
editor_ended() {
    ! kill -0 "$maker_pid" 2>/dev/null
}
wait_for "the editor to end after 終了" editor_ended
wait "$maker_pid" 2>/dev/null
echo "editor ended"

# ---- The clock reads the design from its own folder.
trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 24 \
    --SetDockType true --transparent false >"$work/trayer.log" 2>&1 &
pids+=($!)
tray_up() {
    xdotool search --onlyvisible --class trayer >/dev/null 2>&1 ||
        xdotool search --onlyvisible --name '^panel$' >/dev/null 2>&1
}
wait_for "the tray host" tray_up

cp "$clock_binary" "$work/designs/OrbelleDo"
(cd / && exec "$work/designs/OrbelleDo") >"$work/clock.log" 2>&1 &
clock_pid=$!
pids+=("$clock_pid")

# The clock's window carries its name only as the window system's UTF-8
# name, which xwininfo shows; look it up by name and size there.
clock_window() {
    local id
    alive "the X server" "$xvfb_pid"
    alive "the clock" "$clock_pid"
    for id in $(xwininfo -root -tree 2>/dev/null | awk '/"OrbelleDo": \(/ && / 177x177\+/ { print $1 }'); do
        viewable "$id" && echo "$id" && return 0
    done
    return 1
}
wait_for "a 177 x 177 clock window" clock_window >/dev/null
clock=$(clock_window)
shape_extents() {
    xwininfo -shape -id "$clock" 2>/dev/null | sed -n 's/^ *\(Window\|Bounding\) shape extents: *//p' | tr -d ' '
}
cut_to_ellipse() {
    [[ $(shape_extents) == 175x175+2+2 ]]
}
wait_for "the clock window to be cut to its ellipse" cut_to_ellipse
echo "clock window $clock: 177x177, shape extents $(shape_extents)"

echo "PASSED: editor start-up, save through the dialog, clock opens the design"
