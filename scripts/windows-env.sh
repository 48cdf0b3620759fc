# shellcheck shell=bash disable=SC2034
# Shared by the Windows scripts (sourced from the repository's top folder, not run): the folders
# of the Windows build, the compiler launcher, and Wine.
root=$PWD
out=$root/build-windows
prefix=$out/prefix
toolchain=$root/cmake/mingw-w64.cmake
jobs=$(nproc)
export TRANSVO_WINDOWS_PREFIX=$prefix

# Debian's wine64 keeps its loader off PATH.
wine=$(dpkg -L wine64 | grep -E '/wine64$' | head -n 1)
wineserver=$(dpkg -L wine64 | grep -E '/wineserver(64)?$' | head -n 1)
export WINEPREFIX=$out/wine
export WINEDEBUG=-all
# No desktop integration or browser in the test prefix.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Makes the Wine prefix named by WINEPREFIX if it is not there yet. A prefix has no Windows fonts;
# the Liberation fonts the dialogs are drawn with on Linux go into its font folder, so windows
# and screenshots look as users see them.
wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== a fresh Wine prefix in $WINEPREFIX"
        "$wine" wineboot --init >/dev/null 2>&1 || true
        "$wineserver" -w
    fi
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    mkdir -p "$fonts"
    cp -u /usr/share/fonts/truetype/liberation2/*.ttf "$fonts"/
    # Windows' interface fonts (message boxes, menus) are not there either; Liberation Sans is the
    # closest in widths, as the dialog layouts take it for them.
    local font
    for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
        "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "Liberation Sans" /f >/dev/null 2>&1
    done
}
