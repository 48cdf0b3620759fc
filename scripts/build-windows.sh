#!/usr/bin/env bash
# Builds Transvo for 64-bit Windows on Debian and makes its setup program:
#
#     scripts/build-windows.sh           build-windows/transvo-<version>-win64-setup.exe, and the
#                                        program folder build-windows/build/bin (transvo.exe,
#                                        deployment.ini, help\, lgt.dbf, lgt.CDX)
#     scripts/build-windows.sh --tests   the same with every test program (scripts/test-windows.sh)
#
# transvo.exe is one static executable: Qt (built from Debian's qt6-base source by
# scripts/build-qt-windows.sh, kept in the user's cache folder), libxml2, libcurl and the C++
# runtime are linked in, so the program folder needs no DLLs. libxml2 (no network support), libcurl
# (Windows' own TLS, Schannel; HTTP, HTTPS and SMTP only) and GoogleTest are built from Debian's
# source packages once and kept in build-windows/prefix; remove that folder to build them again.
set -euo pipefail
cd "$(dirname "$0")/.."

tests=OFF
if [ "${1:-}" = --tests ]; then
    tests=ON
fi

scripts/deps.sh windows
# shellcheck source=scripts/windows-env.sh
source scripts/windows-env.sh
sources=$out/src

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
# Qt (or the wait for a Qt build already under way) goes on beside the libraries, whose configure
# steps leave a core idle most of the time.
scripts/build-qt-windows.sh >"$out/qt-path" &
qt_job=$!
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
if [ "$tests" = ON ]; then
    build_library googletest /usr/src/googletest "googletest-$(dpkg-query -W -f='${Version}' googletest)" \
        -DBUILD_GMOCK=OFF
fi

wait "$qt_job" || {
    echo "Qt for Windows failed to build" >&2
    exit 1
}
qt=$(cat "$out/qt-path")

# Build-time tools (the table builder) and the tests' discovery run under Wine.
wine_prefix

echo "== Transvo for Windows"
build=$out/build
# install does not build every target first: the setup program takes what was built below.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTRANSVO_WINDOWS_PREFIX="$prefix" \
    -DTRANSVO_WINDOWS_QT="$qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRANSVO_GUI=ON -DTRANSVO_TESTS="$tests" -DTRANSVO_BENCH=OFF -DTRANSVO_WERROR=ON \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >"$out/configure.log" || {
    cat "$out/configure.log" >&2
    exit 1
}
if [ "$tests" = ON ]; then
    nice cmake --build "$build" -j "$jobs"
else
    nice cmake --build "$build" -j "$jobs" --target transvo
fi

echo "== the setup program"
(cd "$build" && cpack -G NSIS -B "$out/package" >"$out/package.log") || {
    cat "$out/package.log" >&2
    exit 1
}
setup=$(find "$out/package" -maxdepth 1 -name 'transvo-*-win64-setup.exe' | head -n 1)
cp "$setup" "$out/"
echo "Setup program: $out/$(basename "$setup")"
