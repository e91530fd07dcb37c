#!/usr/bin/env bash
# Instructions per step of the step driver, counted by callgrind (they repeat
# exactly from run to run, unlike time on a shared machine): each loop of
# bench/ir/ is run by ravx-run for N and for N + 200,000 steps, and the
# difference is divided by 200,000.
#
#   bench/ir-per-step.sh BUILD_DIR      (a build with -DRAVX_TESTS=ON, for tasktool)
set -euo pipefail
build=${1:?usage: bench/ir-per-step.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
command -v valgrind >/dev/null || { echo "valgrind is not installed (apt-get install valgrind)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
base=1000
extra=200000
ir() {  # ir PROGRAM STEPS [ravx-run options...]
    local prg=$1 steps=$2
    shift 2
    valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" \
        "$build/ravx-run" --seed 1 --steps "$steps" "$@" "$prg" >/dev/null 2>"$work/cg.log"
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/cg.log"
}
printf '%-10s %s\n' loop "Ir per step"
for lst in "$here"/ir/*.lst; do
    name=$(basename "$lst" .lst)
    prg="$work/$name.prg"
    "$build/tests/tasktool" prg "$lst" "$prg" "$work/$name.dmp" >/dev/null
    opts=()
    if [ -f "$here/ir/$name.events" ]; then
        opts+=(--events "$here/ir/$name.events" --no-auto-release)
    fi
    a=$(ir "$prg" "$base" "${opts[@]}")
    b=$(ir "$prg" "$((base + extra))" "${opts[@]}")
    printf '%-10s %d\n' "$name" $(((b - a) / extra))
done
