#!/usr/bin/env bash
# Sets up and runs every test: dependencies, the fuzz targets (built and run briefly), the core
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the full build with all unit,
# integration and GUI tests, and the packages. Tests start their own local servers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# GUI tests must not start a session bus of their own.
export DBUS_SESSION_BUS_ADDRESS=disabled:
export CTEST_OUTPUT_ON_FAILURE=1

echo "== code format (.clang-format)"
find src tests fuzz bench resources tools \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r clang-format --dry-run --Werror

echo "== fuzz targets"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRANSVO_FUZZ=ON -DTRANSVO_GUI=OFF -DTRANSVO_TESTS=OFF -DTRANSVO_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs"
scripts/fuzz.sh build-fuzz 15

echo "== core tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRANSVO_SANITIZE=ON -DTRANSVO_GUI=OFF \
    -DTRANSVO_BENCH=OFF -DTRANSVO_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs"
# The kill tests check what is on disk after SIGKILL, which the sanitizers add nothing to; they
# run once, in the full build below.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan -j "$jobs" --timeout 600 -LE faults

echo "== full build and all tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRANSVO_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --timeout 600 -LE faults

echo "== operations killed at random moments"
# Verbose, so the log shows each operation's counts of kills, states seen and failures.
ctest --test-dir build --timeout 600 -L faults --verbose

echo "== packages"
scripts/check-packages.sh build
