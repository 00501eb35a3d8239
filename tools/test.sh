#!/usr/bin/env bash
# Builds the native, Windows and fuzz trees and runs every test through one CTest run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/deps.sh
source tools/wine-env.sh

# The i686 programs are always built. Where this host cannot run 32-bit Wine, the Windows
# tests run on an x86_64 build of the same sources instead (tools/wine-env.sh says why).
presets=(native windows fuzz)
if [ "$PL_WINDOWS_TEST_PRESET" != windows ]; then
    echo "-- this host cannot run 32-bit programs: Windows tests run on the x86_64 build under 64-bit Wine"
    presets+=("$PL_WINDOWS_TEST_PRESET")
fi

# A new Wine prefix takes half a minute to create, mostly waiting: create it while the
# trees build. session_start below finds it ready.
prefix_job=""
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    ( "$PL_WINE" wineboot -i >/dev/null 2>&1 || true; "$PL_WINESERVER" -w >/dev/null 2>&1 || true ) &
    prefix_job=$!
    trap '"$PL_WINESERVER" -k >/dev/null 2>&1 || true' EXIT
fi

jobs="$(nproc)"
for preset in "${presets[@]}"; do
    pack=()
    if [ "$preset" = windows64 ] && [ -x build/windows/host-tools/stepwise-pack ]; then
        # The i686 tree has just built the native packer that makes the installers.
        pack=(-DSTEPWISE_HOST_PACK="$PWD/build/windows/host-tools/stepwise-pack")
    fi
    cmake --preset "$preset" "${pack[@]}" >/dev/null
    if [ "$preset" = windows ] && [ "$PL_WINDOWS_TEST_PRESET" != windows ]; then
        # Nothing runs from the i686 tree here: build the programs, not their tests.
        cmake --build --preset "$preset" -j "$jobs" --target products
    else
        cmake --build --preset "$preset" -j "$jobs"
    fi
done

# One CTest run over all three trees, so the run ends with one summary line.
cat > build/CTestTestfile.cmake <<CT
subdirs("native" "$PL_WINDOWS_TEST_PRESET" "fuzz")
CT

[ -z "$prefix_job" ] || wait "$prefix_job"
source tools/session.sh
session_start own
mkdir -p build/screens
status=0
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600 "$@" || status=$?
session_stop
exit $status
