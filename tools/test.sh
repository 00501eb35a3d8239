#!/usr/bin/env bash
# Builds the native, Windows and fuzz trees and runs every test through one CTest run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/deps.sh

jobs="$(nproc)"
for preset in native windows fuzz; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

# One CTest run over all three trees, so the run ends with one summary line.
cat > build/CTestTestfile.cmake <<'CT'
subdirs("native" "windows" "fuzz")
CT

source tools/session.sh
session_start own
mkdir -p build/screens
status=0
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600 "$@" || status=$?
session_stop
exit $status
