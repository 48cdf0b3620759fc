#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a few seconds each, from its seed corpus in
# fuzz/corpus/<name>/ when there is one. Usage: scripts/fuzz.sh BUILD_DIR [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-15}
shopt -s nullglob
for target in "$build"/fuzz/fuzz_*; do
    name=$(basename "$target")
    work=$(mktemp -d)
    corpus=("$work")
    [ -d "fuzz/corpus/$name" ] && corpus+=("fuzz/corpus/$name")
    echo "-- $name (${seconds}s)"
    if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$work/" \
        "${corpus[@]}" >"$work/log" 2>&1; then
        tail -n 60 "$work/log"
        exit 1
    fi
    rm -rf "$work"
done
