# Sourced by tools/test.sh and tools/run.sh: a virtual display, a warm Wine prefix,
# and a trap that ends every process started here.
#   session_start [need_display]   starts Xvfb when needed, the wineserver, the prefix
#   session_stop                   ends them again (also run on exit)

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
SESSION_XVFB_PID=""

session_start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        SESSION_XVFB_PID=$!
        for _ in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if kill -0 "$SESSION_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            return 0
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

session_start() {
    local want_own_display="${1:-own}"
    trap session_stop EXIT
    if [ "$want_own_display" = own ] || [ -z "${DISPLAY:-}" ]; then
        session_start_xvfb
    fi
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "-- creating Wine prefix in $WINEPREFIX"
        "$PL_WINE" wineboot -i >/dev/null 2>&1 || true
        # Let the server that created the prefix save it and end before starting ours.
        "$PL_WINESERVER" -w >/dev/null 2>&1 || true
    fi
    # A persistent wineserver keeps every later Wine start warm (milliseconds, not seconds).
    # It fails only when a server for this prefix already runs, which serves as well.
    "$PL_WINESERVER" -p >/dev/null 2>&1 || true
    "$PL_WINE" cmd /c exit >/dev/null 2>&1 || true
    # Our own Xvfb runs no window manager, and Wine would wait up to 2 s for one whenever a
    # window it hands to the manager (any window that ever had a caption, such as the docked
    # bar) is mapped, unmapped or destroyed. Without a manager Wine places windows itself.
    if [ -n "$SESSION_XVFB_PID" ]; then
        "$PL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    else
        "$PL_WINE" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
    fi
}

session_stop() {
    "$PL_WINESERVER" -k >/dev/null 2>&1 || true
    "$PL_WINESERVER" -w >/dev/null 2>&1 || true
    if [ -n "$SESSION_XVFB_PID" ]; then
        kill "$SESSION_XVFB_PID" 2>/dev/null || true
        wait "$SESSION_XVFB_PID" 2>/dev/null || true
        SESSION_XVFB_PID=""
    fi
}
