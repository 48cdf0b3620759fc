#!/usr/bin/env bash
# Builds the Qt-free core and its tests as 64-bit Windows programs with mingw-w64 and runs the
# tests under Wine. libxml2 (no network support), libcurl (Windows' own TLS, Schannel; HTTP, HTTPS
# and SMTP only) and GoogleTest are built for Windows from Debian's source packages once and kept
# in build-windows/prefix; remove that folder to build them again.
#
# The test servers from tools/ run on this machine: the tests start them through Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh windows

root=$PWD
out=$root/build-windows
prefix=$out/prefix
sources=$out/src
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

# The unpacked source folder of a Debian source package, fetched once.
debian_source() {
    local package=$1 folder
    folder=$(find "$sources" -mindepth 1 -maxdepth 1 -type d -name "$package-*" 2>/dev/null | sort | tail -n 1)
    if [ -z "$folder" ]; then
        mkdir -p "$sources"
        (cd "$sources" && apt-get source -qq "$package" >/dev/null 2>&1) || {
            echo "apt-get source $package failed" >&2
            exit 1
        }
        folder=$(find "$sources" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | sort | tail -n 1)
    fi
    echo "$folder"
}

# Configures, builds and installs one library into the prefix, unless the same version was
# installed there before with the same options.
build_library() {
    local name=$1 source=$2 version=$3
    shift 3
    local build="$version $*"
    local stamp=$prefix/.built-$name
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$build" ]; then
        return
    fi
    echo "== $name for Windows from $source"
    rm -rf "$out/build-$name"
    nice cmake -S "$source" -B "$out/build-$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "${launcher[@]}" \
        "$@" >"$out/build-$name.log"
    nice cmake --build "$out/build-$name" -j "$jobs" >>"$out/build-$name.log"
    cmake --install "$out/build-$name" >>"$out/build-$name.log"
    echo "$build" >"$stamp"
}

mkdir -p "$out"
libxml2=$(debian_source libxml2)
curl=$(debian_source curl)
# The parser with DTDs, XPath and SAX is what the program uses; catalogs, schemas, HTML and the
# rest stay out, which also keeps the build short.
build_library libxml2 "$libxml2" "$(basename "$libxml2")" \
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF \
    -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_PROGRAMS=OFF \
    -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_CATALOG=OFF -DLIBXML2_WITH_C14N=OFF -DLIBXML2_WITH_DEBUG=OFF \
    -DLIBXML2_WITH_DOCB=OFF -DLIBXML2_WITH_HTML=OFF -DLIBXML2_WITH_SCHEMAS=OFF -DLIBXML2_WITH_SCHEMATRON=OFF \
    -DLIBXML2_WITH_XINCLUDE=OFF -DLIBXML2_WITH_XPTR=OFF -DLIBXML2_WITH_READER=OFF -DLIBXML2_WITH_WRITER=OFF \
    -DLIBXML2_WITH_PATTERN=OFF
build_library curl "$curl" "$(basename "$curl")" \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF \
    -DCURL_USE_LIBPSL=OFF -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
    -DENABLE_UNICODE=ON -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
    -DCURL_DISABLE_FTP=ON -DCURL_DISABLE_FILE=ON -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON \
    -DCURL_DISABLE_TELNET=ON -DCURL_DISABLE_DICT=ON -DCURL_DISABLE_TFTP=ON -DCURL_DISABLE_RTSP=ON \
    -DCURL_DISABLE_POP3=ON -DCURL_DISABLE_IMAP=ON -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_MQTT=ON \
    -DCURL_DISABLE_SMB=ON
build_library googletest /usr/src/googletest "googletest-$(dpkg-query -W -f='${Version}' googletest)" \
    -DBUILD_GMOCK=OFF

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== a fresh Wine prefix"
    "$wine" wineboot --init >/dev/null 2>&1 || true
    "$wineserver" -w
fi

echo "== core and tests for Windows"
cmake -S . -B "$out/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTRANSVO_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRANSVO_GUI=OFF -DTRANSVO_BENCH=OFF -DTRANSVO_WERROR=ON \
    "${launcher[@]}" >/dev/null
cmake --build "$out/build" -j "$jobs"

echo "== tests under Wine"
failed=()
cd "$out/build"
for test in tests/test_*.exe; do
    echo "-- $test"
    if ! timeout 900 "$wine" "$test" --gtest_color=no; then
        failed+=("$test")
    fi
done
"$wineserver" -w
if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed under Wine: ${failed[*]}" >&2
    exit 1
fi
echo "All Windows tests passed under Wine."
