#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need. Idempotent: when all are
# present it only asks dpkg and returns.
#
#     scripts/deps.sh            the Linux build, tests and demo
#     scripts/deps.sh windows    the Windows build (mingw-w64, the host's Qt as Qt's build tools and
#                                the icon renderer, NSIS for the setup program), Wine, Xvfb and
#                                xdotool to try it, and the source lines of Debian's archive for the
#                                libraries built from source
set -euo pipefail

packages=(
    cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config
    qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins fonts-dejavu-core fonts-liberation2
    libxml2-dev libxml2-utils libcurl4-openssl-dev ca-certificates
    libgtest-dev googletest
    python3 python3-aiosmtpd openssl xvfb xauth xdg-utils desktop-file-utils
)

if [ "${1:-}" = windows ]; then
    packages=(
        cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64
        dpkg-dev xz-utils googletest python3 python3-aiosmtpd openssl ca-certificates
        g++ qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 nsis
        xvfb xauth xdotool imagemagick fonts-liberation2
    )
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
updated=""

# apt-get source needs deb-src lines. They are made from the machine's own lines for Debian's
# archive (deb822 stanzas or one-line entries), so the sources come from the same mirror.
if [ "${1:-}" = windows ] && ! grep -rqsE '^(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    source_lines=$(
        for file in /etc/apt/sources.list.d/*.sources; do
            [ -f "$file" ] || continue
            awk 'BEGIN { RS = ""; ORS = "\n\n" }
                 /URIs:[^\n]*debian/ && /Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$file"
        done
    )
    if [ -n "$source_lines" ]; then
        echo "$source_lines" | $SUDO tee /etc/apt/sources.list.d/transvo-deb-src.sources >/dev/null
    else
        grep -hE '^deb[[:space:]].*debian' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null \
            | sed 's/^deb[[:space:]]/deb-src /' | $SUDO tee /etc/apt/sources.list.d/transvo-deb-src.list >/dev/null
    fi
    $SUDO apt-get update -qq
    updated=yes
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ -z "$updated" ]; then
    $SUDO apt-get update -qq
fi
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
