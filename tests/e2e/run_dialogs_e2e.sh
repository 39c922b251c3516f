#!/usr/bin/env bash
# Runs the end-to-end driver against tesmar.exe in a private Wine prefix
# cloned from the project's booted one, and removes the prefix afterwards.
#   run_dialogs_e2e.sh PREFIX_DIR DRIVER_EXE TESMAR_EXE [SHOT_DIR]
# With SHOT_DIR, WINEPREFIX and DISPLAY are taken as given (a prefix with
# a real graphics driver on an X server) and screenshots are taken.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib.sh"
prefix=$1 driver=$2 tesmar=$3 shots=${4:-}
if [ -z "$shots" ]; then
    clone_prefix "$prefix"
    wine_env "$prefix"
else
    wine_env "$WINEPREFIX"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/tesmar-e2e.XXXXXX")
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
    if [ -z "$shots" ]; then rm -rf "$prefix"; fi
}
trap cleanup EXIT
# Its own wineserver, kept apart from this script's output.
wineserver -p >/dev/null 2>&1 </dev/null || true

if [ -n "$shots" ]; then
    mkdir -p "$shots"
    # Take each screenshot the driver asks for.
    (
        while true; do
            for want in "$shots"/*.want; do
                [ -e "$want" ] || continue
                name=$(basename "$want" .want)
                sleep 0.5 # let the dialog paint
                import -window root "$shots/$name.png"
                rm -f "$want"
                touch "$shots/$name.done"
            done
            sleep 0.1
        done
    ) &
    shooter=$!
    trap 'kill $shooter 2>/dev/null || true; cleanup' EXIT
    wine "$driver" "$tesmar" "$work/board" "$shots"
else
    wine "$driver" "$tesmar" "$work/board"
fi
