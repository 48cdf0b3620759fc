#!/usr/bin/env bash
# Sets up and runs the program on a ready demo: dependencies, the build, a work folder of its own
# (demo/work/VARO with a demo config.xml, Schema CSV), an input folder with a sample order of each
# of the six formats, and, where the local servers exist, a local webshop (HTTPS with its own
# test CA), download server and SMTP server (keeping what it receives in demo/mail) on loopback.
# The program runs from a copy of build/bin in demo/program, whose deployment.ini points at those
# servers. Without a display it runs under Xvfb. --reset starts the demo afresh (settings saved in the demo are kept otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
demo=$root/demo

if [ "${1:-}" = "--reset" ]; then
    rm -rf "$demo/work" "$demo/input"
fi

scripts/deps.sh
cmake -S . -B build -G Ninja
cmake --build build

work=$demo/work/VARO
input=$demo/input
program=$demo/program
run=$demo/run
mkdir -p "$work" "$input" "$run"
# The samples come back after every run, also when a run sent and deleted one.
cp -f "$demo"/orders/* "$input"/
if [ ! -s "$work/config.xml" ]; then
    # The folder goes into XML, through sed: escape it for both, so any checkout path works.
    mapin=$(printf '%s' "$input" | sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/[\\&#]/\\&/g')
    sed "s#@MAPIN@#$mapin#" "$demo/config.xml.in" > "$work/config.xml"
    chmod 600 "$work/config.xml"
fi

rm -rf "$program"
cp -a build/bin/. "$program"/

pids=()
stop_servers() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap stop_servers EXIT

# Starts a server on the loopback port given (0: a free one) and sets $port to the port it reports.
start_server() {
    local want=$1 port_file=$2
    shift 2
    rm -f "$port_file"
    "$@" --port "$want" --port-file "$port_file" >"$port_file.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [ -s "$port_file" ] && break
        sleep 0.1
    done
    [ -s "$port_file" ] || { echo "demo: $* did not start, see $port_file.log" >&2; exit 1; }
    port=$(tr -d '[:space:]' <"$port_file")
}

ini="; Demo installation: every server on loopback."
if [ -f tools/webshop.py ]; then
    start_server 0 "$run/webshop.port" python3 tools/webshop.py --cert-dir "$demo/certs"
    shop=127.0.0.1:$port
    ini+=$'\n'"[webshop]"$'\n'"be = $shop"$'\n'"nl = $shop"$'\n'"[tls]"$'\n'"ca_file = $demo/certs/ca.pem"
    echo "demo: webshop on https://$shop"
fi
if [ -f tools/downloadserver.py ]; then
    start_server 0 "$run/download.port" python3 tools/downloadserver.py
    lengths=127.0.0.1:$port
    ini+=$'\n'"[lengths]"$'\n'"check = $lengths"$'\n'"update = $lengths"
    echo "demo: pipe-length list on http://$lengths"
fi
if [ -f tools/smtpserver.py ]; then
    # A fixed port: the SMTP server is a setting of config.xml (ICM_remote), not of deployment.ini.
    mkdir -p "$demo/mail"
    start_server 2525 "$run/smtp.port" python3 tools/smtpserver.py --store "$demo/mail"
    ini+=$'\n'"[icm]"$'\n'"mailbox = icm@varo.be"
    echo "demo: SMTP server on 127.0.0.1:$port, messages in $demo/mail"
fi
printf '%s\n' "$ini" > "$program/deployment.ini"

echo "demo: work folder $work, orders in $input"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    AppData="$demo/work" "$program/transvo"
else
    AppData="$demo/work" xvfb-run -a "$program/transvo"
fi
