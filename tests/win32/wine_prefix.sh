#!/usr/bin/env bash
# The Wine prefix of the Windows tests (WINEPREFIX, WINEARCH; VESPERN_WINE runs its programs):
#   wine_prefix.sh start   makes the prefix on first use and starts a wineserver that stays
#                          up for the whole batch of tests
#   wine_prefix.sh stop    stops that wineserver and every program still running in the prefix
set -euo pipefail
: "${WINEPREFIX:?}" "${VESPERN_WINESERVER:=wineserver}" "${VESPERN_XVFB_RUN:=xvfb-run}"
export WINEARCH=${WINEARCH:-win32} WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}

case "${1:-}" in
start)
    # Where Wine cannot run at all, every test that needs it skips (with_wine.sh).
    "${VESPERN_WINE:-wine}" --version >/dev/null 2>&1 || exec "$(dirname "$0")/with_wine.sh" true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Making the Wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        "$VESPERN_XVFB_RUN" -a "${VESPERN_WINE:-wine}" wineboot --init
        "$VESPERN_WINESERVER" -w
    fi
    "$VESPERN_WINESERVER" -p </dev/null >/dev/null 2>&1
    # Xvfb has no window manager, and for the windows Wine leaves to one, every hide or destroy
    # of a shown window waits 2 s for a window-manager state that never comes (the main window's
    # end, the standalone tray's when the last icon goes, each dialog's hide). Wine manages the
    # windows itself instead, as Windows does.
    "${VESPERN_WINE:-wine}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    # Wine's own services (services.exe, explorer...) start with the first program and live as
    # long as the wineserver: started here, away from any test's output, which ctest would
    # otherwise wait on until its time-out.
    "${VESPERN_WINE:-wine}" wineboot </dev/null >/dev/null 2>&1
    ;;
stop)
    "$VESPERN_WINESERVER" -k || true
    "$VESPERN_WINESERVER" -w || true
    ;;
*)
    echo "usage: wine_prefix.sh start|stop" >&2
    exit 2
    ;;
esac
