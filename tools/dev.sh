#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (installing only what is missing), builds,
# and then starts the simulator (run) or runs every test headless (test).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake ninja-build qt6-base-dev qt6-translations-l10n libgtest-dev libbenchmark-dev
          xvfb xauth openbox shared-mime-info fonts-dejavu-core fonts-liberation2 file xdotool x11-utils x11-xkb-utils imagemagick
          libqt6sql6-psql postgresql)

install_missing() {
    local missing=() p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if ((${#missing[@]})); then
        local sudo=()
        [ "$(id -u)" -eq 0 ] || sudo=(sudo)
        echo "Installing: ${missing[*]}"
        "${sudo[@]}" apt-get update
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
    fi
}

case "${1:-}" in
run)
    install_missing
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j2
    exec ./build/ravx
    ;;
test)
    install_missing
    cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRAVX_TESTS=ON -DRAVX_SANITIZE=ON
    cmake --build build-test -j2
    cd build-test
    # LeakSanitizer runs with the sanitizers; only the X11 plugin's libdbus leak is suppressed
    LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
    ;;
*)
    echo "usage: tools/dev.sh run|test" >&2
    exit 2
    ;;
esac
