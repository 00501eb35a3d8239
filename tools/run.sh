#!/usr/bin/env bash
# Builds the Windows programs and starts Portlight under Wine. On a machine without a
# display it runs the bar in a virtual one for a few seconds and saves a screenshot.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target portlight

source tools/session.sh
mkdir -p build/screens build/run
cp build/windows/bin/portlight.exe build/run/
if [ -n "${DISPLAY:-}" ]; then
    session_start shared
    wine build/run/portlight.exe
else
    session_start own
    wine build/run/portlight.exe &
    sleep 8
    import -window root build/screens/run.png
    echo "screenshot: build/screens/run.png"
fi
