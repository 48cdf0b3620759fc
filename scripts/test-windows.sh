#!/usr/bin/env bash
# Builds Transvo and its tests as 64-bit Windows programs (scripts/build-windows.sh --tests), runs
# every test under Wine, then tries the setup program as a Windows user would
# (scripts/try-windows-setup.sh): installed silently into a fresh Wine prefix, the installed
# program started under Xvfb and an order sent with the keyboard to the local demo webshop.
#
# The test servers from tools/ run on this machine: the tests start them through Wine. The GUI
# tests draw on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-windows.sh --tests
# shellcheck source=scripts/windows-env.sh
source scripts/windows-env.sh
wine_prefix

echo "== tests under Wine"
failed=()
cd "$out/build"
# Qt's offscreen platform on Windows draws with FreeType from the fonts in this folder.
export QT_QPA_PLATFORM=offscreen QT_QPA_FONTDIR='C:\windows\Fonts'
for test in tests/test_*.exe; do
    echo "-- $test"
    if ! timeout 900 "$wine" "$test" --gtest_color=no; then
        failed+=("$test")
    fi
done
unset QT_QPA_PLATFORM QT_QPA_FONTDIR
"$wineserver" -w
cd "$root"
if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed under Wine: ${failed[*]}" >&2
    exit 1
fi
echo "All Windows tests passed under Wine."

scripts/try-windows-setup.sh
