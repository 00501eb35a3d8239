#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, once.
# Safe to run again: it only calls apt when something is missing.
set -euo pipefail

need_pkgs=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    googletest zlib1g-dev libz-mingw-w64-dev
    xvfb xdotool imagemagick x11-utils
    cabextract gcab clang-format python3
)

missing=()
for p in "${need_pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" || missing+=(wine wine64 wine32:i386)

if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    # A mirror caught mid-sync serves an index that fails its checksum, and apt then resolves
    # i386 packages against stale versions. Such failures pass within minutes: try again.
    for attempt in 1 2 3 4 5; do
        if $SUDO apt-get update -qq && \
           $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
            exit 0
        fi
        echo "-- package install failed (attempt $attempt); retrying in 30 s" >&2
        sleep 30
    done
    echo "-- could not install: ${missing[*]}" >&2
    exit 1
fi
