# What the scripts share; sourced (". scripts/lib.sh"), never run. Sets
# lib_root to the checkout.
lib_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The Wine environment for the prefix $1: no debug output, no Mono or
# Gecko installers.
wine_env() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# A private prefix at $1 made from the booted base (see scripts/wine-prefix).
clone_prefix() {
    "$lib_root/scripts/wine-prefix" clone "$1" >/dev/null
}

# Stores the string value $2 = $3 under the registry key $1 of WINEPREFIX.
reg_set() {
    wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1
}

# A free TCP port above 1024.
free_port() {
    python3 -c 'import socket
for _ in range(50):
    s = socket.socket()
    try:
        s.bind(("", 0))
        port = s.getsockname()[1]
    finally:
        s.close()
    if port > 1024:
        print(port)
        break'
}

# Starts an X server of its own on a free display (its log in $1/xvfb.log),
# exports DISPLAY and sets xvfb_pid; fails when it does not come up.
start_xvfb() {
    local dir=$1 display_file=$1/display
    rm -f "$display_file"
    setsid Xvfb -displayfd 5 -nolisten tcp -screen 0 1024x768x24 5>"$display_file" \
        >"$dir/xvfb.log" 2>&1 </dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    if [ ! -s "$display_file" ]; then
        echo "Xvfb did not start (see $dir/xvfb.log)" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$display_file")"
}
