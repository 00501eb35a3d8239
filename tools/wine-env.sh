# Sourced by tools/wine-run, tools/session.sh and tools/test.sh: picks the Wine that can run
# on this host and the prefix that goes with it.
#
# The programs are 32-bit, and 32-bit Wine needs a kernel that runs i386 Linux binaries.
# Some hosts (virtual machines with IA-32 emulation switched off) refuse every i386 execve,
# so 32-bit Wine cannot start there. On such a host the Windows tests run on an x86_64
# build of the same sources under 64-bit Wine, in a prefix of its own:
#   PL_WINE_ARCH      win32 or win64 (set it to force one)
#   PL_WINE           the Wine loader to run programs with
#   PL_WINESERVER     the matching wineserver
#   PL_WINDOWS_TEST_PRESET  the CMake preset whose tests run under that Wine

PL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if [ -z "${PL_WINE_ARCH:-}" ]; then
    if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
        PL_WINE_ARCH=win32
    elif [ -x /usr/lib/wine/wine64 ]; then
        PL_WINE_ARCH=win64
    else
        PL_WINE_ARCH=win32
    fi
fi
export PL_WINE_ARCH

if [ "$PL_WINE_ARCH" = win64 ]; then
    export PL_WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
    export PL_WINESERVER=/usr/lib/wine/wineserver64
    export WINEPREFIX="${WINEPREFIX:-$PL_ROOT/build/wineprefix64}"
    export PL_WINDOWS_TEST_PRESET=windows64
else
    export PL_WINE=wine
    export PL_WINESERVER=wineserver
    export WINEPREFIX="${WINEPREFIX:-$PL_ROOT/build/wineprefix}"
    export PL_WINDOWS_TEST_PRESET=windows
fi
export WINEARCH="$PL_WINE_ARCH"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Gecko/Mono prompts, and no menu builder: shell links saved by the tests stay in the
# prefix instead of starting a process that outlives them and holds their output open.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
