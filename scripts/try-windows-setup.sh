#!/usr/bin/env bash
# Tries the Windows setup program (scripts/build-windows.sh) as a Windows user would, under Wine
# and Xvfb, in a Wine prefix of its own made afresh:
#
# 1. installs it silently (/S) and finds the program, its Start-menu entry "Transvo" and its
#    uninstaller registered with Windows; installs it again and finds the edited deployment.ini kept;
# 2. starts the installed transvo.exe (Windows platform plugin) with a work folder %AppData%\VARO,
#    a CSV order in an input folder with an accented name and deployment.ini pointing at the local
#    demo webshop, keeps a screenshot of the main window in build-windows/transvo-wine.png, sends
#    the order with the keyboard and waits for the program to end;
# 3. compares the order the webshop received byte for byte with what the Linux build (build/bin,
#    made by scripts/test.sh or here) sends for the same input in the same way;
# 4. runs the uninstaller silently and finds the program gone.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/windows-env.sh
source scripts/windows-env.sh

setup=$(find "$out" -maxdepth 1 -name 'transvo-*-win64-setup.exe' | head -n 1)
[ -n "$setup" ] || { echo "no setup program in $out; run scripts/build-windows.sh" >&2; exit 1; }
if [ ! -x build/bin/transvo ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
    nice cmake --build build -j "$jobs" --target transvo
fi

trial=$out/trial
rm -rf "$trial"
mkdir -p "$trial"
export WINEPREFIX=$trial/wine
pids=()
finish() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    "$wineserver" -k 2>/dev/null || true
}
trap finish EXIT
fail() {
    echo "try-windows-setup: $*" >&2
    exit 1
}

# A display of its own.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$trial/display" 2>"$trial/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$trial/display" ] && break
    sleep 0.1
done
DISPLAY=:$(tr -d '[:space:]' <"$trial/display")
export DISPLAY

# The demo webshop on a free loopback port, HTTPS with its own test CA.
python3 tools/webshop.py --port 0 --port-file "$trial/webshop.port" --cert-dir "$trial/certs" \
    >"$trial/webshop.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$trial/webshop.port" ] && break
    sleep 0.1
done
# By name: libcurl's Schannel matches a certificate checked against our own CA by its DNS names only.
shop=localhost:$(tr -d '[:space:]' <"$trial/webshop.port")
last_order() {
    python3 - "$shop" "$trial/certs/ca.pem" "$1" <<'PY'
import ssl, sys, urllib.request
shop, ca, target = sys.argv[1:]
context = ssl.create_default_context(cafile=ca)
request = urllib.request.urlopen("https://%s/_last" % shop, context=context, timeout=30).read()
head, _, body = request.partition(b"\r\n\r\n")
open(target, "wb").write(body)
urllib.request.urlopen(urllib.request.Request("https://%s/_control" % shop, data=b"reset=1"),
                       context=context, timeout=30).read()
PY
}

# The work folder's settings: the demo's CSV order, Dutch branch (no pipe-length check at start),
# straight into the ERP system (no browser afterwards).
config() {
    local mapin
    mapin=$(printf '%s' "$1" | sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/[\\&#]/\\&/g')
    sed -e "s#@MAPIN@#$mapin#" -e 's#<DirectERP>0<#<DirectERP>1<#' -e 's#<Filiaal>BEL<#<Filiaal>NED<#' \
        demo/config.xml.in
}
deployment() {
    printf '[webshop]\r\nnl = %s\r\nbe = %s\r\n[lengths]\r\ncheck = 127.0.0.1:9\r\nupdate = 127.0.0.1:9\r\n[tls]\r\nca_file = %s\r\n' \
        "$shop" "$shop" "$1"
}
input_name='Bestellingen José'

# The user's part: the main window opens with the first order ticked and the focus on "Order
# verzenden"; Enter sends, Enter closes the message that follows, and the program ends.
send_with_keyboard() {
    local pid=$1 screenshot=${2:-} window box
    window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Transvo v4\.14$' | head -n 1) \
        || fail "the main window did not open"
    xdotool windowfocus --sync "$window"
    if [ -n "$screenshot" ]; then
        import -window "$window" "$screenshot"
    fi
    xdotool key --clearmodifiers Return
    box=$(timeout 120 xdotool search --sync --onlyvisible --name '^Upload order$' | head -n 1) || {
        import -window root "$trial/no-message.png" || true
        fail "no message after sending; windows open: $(xdotool search --onlyvisible --name . getwindowname %@ | paste -sd '|')"
    }
    xdotool windowfocus --sync "$box"
    xdotool key --clearmodifiers Return
    timeout 120 tail --pid="$pid" -f /dev/null || fail "the program did not end"
}

echo "== the Linux build sends the order"
linux=$trial/linux
mkdir -p "$linux/program" "$linux/AppData/VARO" "$linux/$input_name"
cp -a build/bin/. "$linux/program/"
deployment "$trial/certs/ca.pem" >"$linux/program/deployment.ini"
config "$linux/$input_name" >"$linux/AppData/VARO/config.xml"
cp demo/orders/order_csv.csv "$linux/$input_name/bestelling.csv"
AppData=$linux/AppData QT_QPA_PLATFORM=xcb "$linux/program/transvo" >"$trial/linux.log" 2>&1 &
send_with_keyboard $!
last_order "$trial/linux-order.txt"

echo "== the setup program, silently, into a fresh Wine prefix"
wine_prefix
"$wine" "$setup" /S
"$wineserver" -w
program=$WINEPREFIX/drive_c/Program\ Files/Transvo
for file in transvo.exe deployment.ini lgt.dbf lgt.CDX help/Transvo_v4.html Uninstall.exe; do
    [ -f "$program/$file" ] || fail "not installed: $file"
done
[ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Transvo/Transvo.lnk" ] \
    || fail "no Start-menu entry Transvo"
grep -qiF 'CurrentVersion\\Uninstall\\Transvo]' "$WINEPREFIX/system.reg" || fail "no uninstaller registered"

echo "== deployment.ini edited by the administrator survives a reinstall"
deployment "$("$wine" winepath -w "$trial/certs/ca.pem" | tr -d '\r')" >"$program/deployment.ini"
cp "$program/deployment.ini" "$trial/deployment.ini"
"$wine" "$setup" /S
"$wineserver" -w
cmp -s "$program/deployment.ini" "$trial/deployment.ini" || fail "the reinstall replaced deployment.ini"

echo "== the installed program sends the order"
appdata=$("$wine" cmd /c 'echo %AppData%' | tr -d '\r')
appdata_unix=$("$wine" winepath -u "$appdata" | tr -d '\r')
# The input folder in the user's own folder (C:\users\<name>).
input_unix=$(dirname "$(dirname "$appdata_unix")")/$input_name
mkdir -p "$appdata_unix/VARO" "$input_unix"
config "$("$wine" winepath -w "$input_unix" | tr -d '\r')" >"$appdata_unix/VARO/config.xml"
cp demo/orders/order_csv.csv "$input_unix/bestelling.csv"
"$wine" "$program/transvo.exe" >"$trial/windows.log" 2>&1 &
send_with_keyboard $! "$out/transvo-wine.png"
last_order "$trial/windows-order.txt"
cmp "$trial/linux-order.txt" "$trial/windows-order.txt" \
    || fail "the webshop received another order from Windows than from Linux (see $trial)"
echo "The same order, $(wc -c <"$trial/windows-order.txt") bytes, from both; screenshot: $out/transvo-wine.png"

echo "== the uninstaller, silently"
"$wine" "$program/Uninstall.exe" /S
"$wineserver" -w
[ ! -e "$program" ] || fail "the uninstaller left $program: $(ls -A "$program")"
[ ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Transvo" ] || fail "the Start-menu entry stayed"
grep -qiF 'CurrentVersion\\Uninstall\\Transvo]' "$WINEPREFIX/system.reg" && fail "the uninstaller is still registered"
echo "The setup program installs, keeps deployment.ini, and uninstalls; the installed program sends as on Linux."
