#!/usr/bin/env bash
# Builds every fuzz target (clang-14, libFuzzer) in build-fuzz/ and runs each
# for the given number of seconds, two at a time, with a corpus of its own
# under build-fuzz/corpus/. Prints one line per target: runs and the outcome.
#   tools/fuzz-all.sh [SECONDS]     (default 600)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
missing=()
for p in clang-14 libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "missing packages: ${missing[*]} (apt-get install ${missing[*]})" >&2
    exit 2
fi
cmake -S . -B build-fuzz -G Ninja -DRAVX_GUI=OFF -DRAVX_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build-fuzz -j2
mapfile -t targets < <(find build-fuzz -maxdepth 3 -type f -name 'fuzz_*' -perm -u+x | sort)
status=0
run() {
    local target=$1 name corpus log
    name=$(basename "$target")
    corpus=build-fuzz/corpus/$name
    log=build-fuzz/corpus/$name.log
    mkdir -p "$corpus"
    if "$target" -max_total_time="$seconds" "$corpus" >"$log" 2>&1; then
        echo "$name: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" | tail -1), nothing found"
    else
        echo "$name: FINDING, see $log"
        return 1
    fi
}
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for t in "${targets[@]:i:2}"; do
        run "$t" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || status=1
    done
done
exit $status
