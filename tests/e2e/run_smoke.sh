#!/usr/bin/env bash
# The README's run command, bounded: scripts/run serves in a directory and a
# prefix of its own, answers one sign-in with 0 and Ann's row in the page,
# serves the live board with its panel at the address it prints,
# and on SIGTERM closes the server's window and sees tesmar.exe end with 0;
# with --native the same of scripts/run --native and the native tesmar.
# Usage: run_smoke.sh SCRATCH_DIR [--native] (emptied first, removed after
# a pass).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$1
mode=${2:-}
name=tesmar.exe
[ "$mode" = --native ] && name=tesmar
rm -rf "$work"
mkdir -p "$work"
RUN_SKIP_BUILD=1 RUN_DIR=$work/run RUN_CLIENT=0 setsid "$root/scripts/run" $mode >"$work/run.out" 2>&1 </dev/null &
run_pid=$!
fail() {
    echo "smoke: $1" >&2
    kill -TERM "$run_pid" 2>/dev/null
    timeout 60 tail --pid="$run_pid" -f /dev/null
    cat "$work/run.out" >&2
    exit 1
}

port=""
for _ in $(seq 1200); do
    port=$(sed -n 's/^Tesmar is serving on port \([0-9]*\)$/\1/p' "$work/run.out")
    [ -n "$port" ] && break
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$port" ] || fail "scripts/run did not print a serving port"

live=$(sed -n 's|^Live board: \(http://127.0.0.1:[0-9]*/\)$|\1|p' "$work/run.out")
[ -n "$live" ] || fail "scripts/run did not print the live board's address"

python3 - "$port" "$work/run/board.html" "$live" <<'PY' || fail "the sign-in check failed"
import socket, sys, urllib.request
port, page, live = int(sys.argv[1]), sys.argv[2], sys.argv[3]
with socket.create_connection(("127.0.0.1", port), timeout=30) as s:
    s.settimeout(30)
    s.sendall(b"#iAnn-09:15\n\r")
    reply = b""
    while True:
        chunk = s.recv(64)
        if not chunk:
            break
        reply += chunk
if reply != b"0\n\r":
    sys.exit("smoke: the sign-in got %r instead of '0\\n\\r'" % reply)
row = open(page, "rb").read()
if b"<TH ALIGN=LEFT>Ann</TH>\r\n<TH>09:15</TH>\r\n" not in row:
    sys.exit("smoke: Ann's row is not in the page:\n" + row.decode("latin-1"))
# The live board at the printed address, with the member's panel.
board = urllib.request.build_opener(urllib.request.ProxyHandler({})).open(live, timeout=30).read()
if b'id="sign"' not in board or b'<td class="name">Ann</td>' not in board:
    sys.exit("smoke: the live board has no panel or no Ann:\n" + board.decode("latin-1")[:2000])
PY

kill -TERM "$run_pid"
timeout 90 tail --pid="$run_pid" -f /dev/null || fail "scripts/run did not stop on SIGTERM"
grep -qx "run: $name ended (0)" "$work/run.out" || fail "$name did not end cleanly"
echo "smoke: the sign-in got 0, Ann's row is in the page, the live board answers and the server stopped cleanly"
rm -rf "$work"
