#!/usr/bin/env bash
# Time to first byte of the web port's page and feed with 20 silent web
# connections open: the Windows build's tesmar.exe under Wine (the base
# prefix's null graphics driver) with a board of 150 members. Each round
# opens 20 connections to the web port that send nothing, then times one
# GET / and one GET /board.json with curl (within the 3-second deadline of
# the silent ones). ROUNDS (default 10) sets the number of rounds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${ROUNDS:-10}
tesmar=$root/build/windows/server/shell/tesmar.exe
[ -f "$tesmar" ] || { echo "build the windows preset first" >&2; exit 1; }
dir=$(mktemp -d /tmp/web-first-byte.XXXXXX)
mkdir -p "$dir/work"
timeout 300 "$root/scripts/wine-prefix" clone "$dir/prefix" >/dev/null
export WINEPREFIX=$dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'timeout 60 wineserver -k >/dev/null 2>&1 || true; rm -rf "$dir"' EXIT
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
web=$(free_port)
for i in $(seq 100 249); do printf 'member%d-1- -9:00am- -\r\n' "$i"; done >"$dir/work/tesmar.dat"
key='HKLM\SOFTWARE\KVT\Tesmar'
work=$(winepath -w "$dir/work")
for setting in "WorkingDir=$work" "Port=$port" "HTMLFile=$work\\board.htm" "WebPort=$web"; do
    timeout 120 wine reg add "$key" /v "${setting%%=*}" /d "${setting#*=}" /f >/dev/null 2>&1
done
(cd "$dir/work" && exec timeout 600 wine "$tesmar" >/dev/null 2>&1) &
for _ in $(seq 300); do
    curl -s --max-time 2 -o /dev/null "http://127.0.0.1:$web/" && break
    sleep 0.1
done
timing='%{time_starttransfer}s %{http_code} %{size_download}B'
for round in $(seq "$rounds"); do
    fds=()
    for _ in $(seq 20); do
        exec {fd}<>"/dev/tcp/127.0.0.1/$web"
        fds+=("$fd")
    done
    page=$(curl -s --max-time 10 -o /dev/null -w "$timing" "http://127.0.0.1:$web/")
    feed=$(curl -s --max-time 10 -o /dev/null -w "$timing" "http://127.0.0.1:$web/board.json")
    printf 'round %2d  page %s  feed %s\n' "$round" "$page" "$feed"
    for fd in "${fds[@]}"; do exec {fd}>&-; done
    sleep 0.2
done
