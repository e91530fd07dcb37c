#!/usr/bin/env bash
# Runs a command on an X server of its own with a stacking window manager, as
# a student's desktop has one: placement, stacking, stay-on-top and focus only
# behave as on a desktop with a window manager.
#
#   tests/gui/under-wm.sh [--screen WxH] COMMAND [ARG...]
#
# Exit status: the command's; 77 (skipped) when Xvfb or openbox is missing.
set -euo pipefail
screen=1024x768
if [ "${1:-}" = "--screen" ]; then
    screen=$2
    shift 2
fi
for tool in Xvfb openbox; do
    command -v "$tool" >/dev/null || { echo "under-wm: $tool not installed, skipped" >&2; exit 77; }
done
work=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "under-wm: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
# openbox reads its configuration from the (test's own) XDG folders
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
sleep 0.5
export QT_QPA_PLATFORM=xcb
"$@"
