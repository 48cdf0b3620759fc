#!/usr/bin/env bash
# Builds the .tar.gz and the .deb of a GUI build and checks what a user would get from them: the
# program folder, the starter, the desktop entry and the icons; the .deb's declared dependencies;
# and that the unpacked relocatable copy starts. Usage: scripts/check-packages.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
expect_files() { # listing prefix
    local listing=$1 prefix=$2 file
    for file in bin/transvo lib/transvo/transvo lib/transvo/deployment.ini lib/transvo/lgt.dbf lib/transvo/lgt.CDX \
        lib/transvo/help/Transvo_v4.html share/applications/transvo.desktop \
        share/icons/hicolor/scalable/apps/transvo.svg share/icons/hicolor/16x16/apps/transvo.png \
        share/icons/hicolor/48x48/apps/transvo.png share/icons/hicolor/256x256/apps/transvo.png; do
        grep -qx "$prefix$file" "$listing" || fail "$file missing below $prefix"
    done
}

echo "-- cmake --install"
DESTDIR="$work/destdir" cmake --install "$build" --prefix /opt/transvo >/dev/null
(cd "$work/destdir/opt/transvo" && find . -type f -o -type l | sed 's|^\./||') >"$work/installed"
expect_files "$work/installed" ""

echo "-- cpack"
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >/dev/null)
deb=$(ls "$work"/packages/transvo_*.deb)
tgz=$(ls "$work"/packages/transvo-*-Linux.tar.gz)

echo "-- $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./usr/||' >"$work/deb-files"
expect_files "$work/deb-files" ""
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6svg6 qt6-qpa-plugins libxml2 libcurl4 fonts-dejavu-core xdg-utils; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fail "the .deb does not depend on $package"
done
dpkg-deb -I "$deb" conffiles | grep -qx /usr/lib/transvo/deployment.ini \
    || fail "deployment.ini is not kept as a configuration file"
dpkg-deb -x "$deb" "$work/deb"
[ -x "$work/deb/usr/bin/transvo" ] || fail "/usr/bin/transvo is not executable"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/deb/usr/share/applications/transvo.desktop" || fail "desktop entry not valid"
fi
grep -qx 'Exec=transvo' "$work/deb/usr/share/applications/transvo.desktop" || fail "desktop entry does not start transvo"

echo "-- $(basename "$tgz")"
tar -tzf "$tgz" | grep -v '/$' | sed 's|^[^/]*/||' >"$work/tgz-files"
expect_files "$work/tgz-files" ""
mkdir "$work/tgz"
tar -xzf "$tgz" -C "$work/tgz" --strip-components=1

# The unpacked copy starts through its starter with a fresh home: the work folder goes to the
# user's configuration folder, and the program is still running when the time is up.
echo "-- starting the unpacked copy"
mkdir "$work/home"
set +e
env -u AppData -u XDG_CONFIG_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=disabled: \
    timeout 5 "$work/tgz/bin/transvo" >"$work/start.log" 2>&1
status=$?
set -e
[ $status -eq 124 ] || { cat "$work/start.log"; fail "the program ended with status $status instead of running"; }
[ -d "$work/home/.config" ] || fail "the starter did not prepare the work folder's parent"

if [ $failures -ne 0 ]; then
    echo "$failures package check(s) failed"
    exit 1
fi
echo "packages ok"
