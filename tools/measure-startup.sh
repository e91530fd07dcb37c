#!/usr/bin/env bash
# Time from starting ravx to its first window (the entry test "Тест") and the
# resident memory then, on an X display (DISPLAY, or a private Xvfb).
#   tools/measure-startup.sh [RAVX] [RUNS]     (defaults: build/ravx, 5)
set -euo pipefail
ravx=${1:-build/ravx}
runs=${2:-5}
if [ -z "${DISPLAY:-}" ]; then
    export DISPLAY=:97
    Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb' EXIT
    sleep 1
fi
for ((i = 1; i <= runs; i++)); do
    start=$(date +%s%N)
    "$ravx" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --name '^Тест$' >/dev/null 2>&1; do sleep 0.002; done
    ms=$((($(date +%s%N) - start) / 1000000))
    sleep 0.5
    echo "run $i: first window after $ms ms, resident $(awk '/VmRSS/ {print $2}' "/proc/$pid/status") kB"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
done
