#!/usr/bin/env bash
# Runs fuzz targets of a fuzz build, each from its kept corpus in fuzz/corpus/<name>/ and with its
# format's dictionary fuzz/dict/<name>.dict. With --keep, the inputs that reach new coverage are
# folded, minimised, into the kept corpus afterwards, so the next run starts from them.
# Usage: scripts/fuzz.sh [--keep] BUILD_DIR [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
keep=false
if [ "${1:-}" = "--keep" ]; then
    keep=true
    shift
fi
build=${1:-build-fuzz}
seconds=${2:-15}
shift $(($# < 2 ? $# : 2))
# The kept corpus holds small files only: a larger one seldom reaches what a small one cannot.
max_kept=16384
shopt -s nullglob
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for target in "$build"/fuzz/fuzz_*; do
        targets+=("$(basename "$target")")
    done
fi
for name in "${targets[@]}"; do
    target="$build/fuzz/$name"
    work=$(mktemp -d)
    mkdir -p "$work/found"
    corpus=("$work/found")
    [ -d "fuzz/corpus/$name" ] && corpus+=("fuzz/corpus/$name")
    options=(-rss_limit_mb=2048 -artifact_prefix="$work/")
    [ -f "fuzz/dict/$name.dict" ] && options+=(-dict="fuzz/dict/$name.dict")
    echo "-- $name (${seconds}s)"
    if ! "$target" -max_total_time="$seconds" "${options[@]}" "${corpus[@]}" >"$work/log" 2>&1; then
        tail -n 60 "$work/log"
        echo "artifacts kept in $work"
        exit 1
    fi
    if $keep; then
        mkdir -p "fuzz/corpus/$name" "$work/small"
        find "$work/found" -type f -size -$((max_kept + 1))c -exec mv {} "$work/small/" \;
        # Edges only, not hit counts: one input per new edge keeps the corpus small (a few MB in
        # all); the runs rediscover the counts from it in seconds.
        "$target" -merge=1 -use_counters=0 "${options[@]}" "fuzz/corpus/$name" "$work/small" >"$work/merge.log" 2>&1
        grep -h "MERGE-OUTER: .* new files" "$work/merge.log" || true
    fi
    rm -rf "$work"
done
