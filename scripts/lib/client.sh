# Shared by scripts/demo and the measuring scripts: builds the plug-in, its help file and the
# stand-in client, serves a folder over loopback HTTP, and runs the client under Wine.
# Expects $root (the checkout) and $work (a scratch folder) to be set.

build_client() {
    "$root/scripts/setup"
    cmake -S "$root" -B "$root/build/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
    cmake --build "$root/build/win32" -j2 --target MvFeedwick MvFeedwickHelp StandInHost >/dev/null
}

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Serves $work/served for $1 seconds (600 by default); further arguments are options of the
# server (--hosts N, --latency-ms D). Sets $base to its address on 127.0.0.1; host_base N
# gives it on 127.0.0.N. The server stops when the script exits.
start_feed_server() {
    mkdir -p "$work/served"
    python3 "$root/tests/server/feedserver.py" --root "$work/served" --port-file "$work/port" \
            --log "$work/requests.log" --timings "$work/timings.log" --lifetime "${1:-600}" "${@:2}" &
    server=$!
    trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true' EXIT
    for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
    [ -s "$work/port" ] || { echo "the feed server did not start" >&2; exit 1; }
    base=$(host_base 1)
}

host_base() { printf 'http://127.0.0.%d:%s' "$1" "$(cut -d' ' -f1 "$work/port")"; }

# A client data folder with the mailbox "Demo" (folder demo0001.mb) and the plug-in in
# $work/client, its INI written from the link lines given on standard input and the
# Control keys given as arguments (KEY=VALUE).
lay_out_client() {
    mkdir -p "$work/data/demo0001.mb" "$work/client"
    printf '[Account]\r\nName=Demo\r\n' > "$work/data/demo0001.mb/Mailbox.ini"
    cp "$root/build/win32/bin/MvFeedwick.dll" "$root/build/win32/bin/MvFeedwick.chm" "$work/client/"
    # The settings file is ANSI text in the client's code page, 936 here.
    python3 -c '
import sys
links = [line.rstrip("\n") for line in sys.stdin if line.strip()]
control = "".join(setting + "\r\n" for setting in sys.argv[2:])
text = "[Control]\r\nVersion=1.2\r\nMailbox=Demo\r\n%s[Links]\r\nCount=%d\r\n" % (control, len(links))
text += "".join("%d=%s\r\n" % (i, line) for i, line in enumerate(links))
open(sys.argv[1], "wb").write(text.encode("gbk"))
' "$work/client/MvFeedwick.ini" "$@"
}

inbox_folder() { printf '%s' "$work/data/demo0001.mb/!!!!Inbox"; }

# The stand-in client under Wine with the plug-in and data folder of lay_out_client.
client() {
    LC_ALL=zh_CN.UTF-8 "$root/cmake/wine-run" "$root/build/win32/bin/StandInHost.exe" \
        --plugin "$(windows_path "$work/client/MvFeedwick.dll")" \
        --data "$(windows_path "$work/data")" "$@" | tr -d '\r'
}

# Loads the plug-in into the stand-in client and runs "retrieve all" once; arguments go
# to the client (--store-mails writes each mail to the Inbox folder).
run_client() { client --retrieve-all "$@"; }

# Shows the stand-in client's main window on the user's display until it is closed.
run_client_on_display() { FEEDWICK_OWN_DISPLAY=1 client --interactive "$@"; }

# True when $DISPLAY names an X server that answers.
display_reachable() {
    [ -n "${DISPLAY:-}" ] || return 1
    if command -v xdpyinfo >/dev/null 2>&1; then
        xdpyinfo >/dev/null 2>&1
        return
    fi
    python3 - <<'PY'
import os, re, socket, sys
match = re.match(r"([^:]*):(\d+)", os.environ["DISPLAY"])
if not match:
    sys.exit(1)
host, number = match.groups()
try:
    if host in ("", "unix"):
        socket.socket(socket.AF_UNIX).connect("/tmp/.X11-unix/X" + number)
    else:
        socket.create_connection((host, 6000 + int(number)), 2)
except OSError:
    sys.exit(1)
PY
}
