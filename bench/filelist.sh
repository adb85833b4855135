#!/usr/bin/env bash
# Lists 100,000 files (half "*.mp3") in the file list, against ls -f | sort -f; growth 10k->100k.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/fsbrowse/common.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_files "$work/small" 10000
make_files "$work/large" 100000

read -r small small_lines < <(QT_QPA_PLATFORM=offscreen "$BENCH" files "$work/small" 2>>"$work/log")
read -r large large_lines < <(QT_QPA_PLATFORM=offscreen "$BENCH" files "$work/large" 2>>"$work/log")
[[ -n $small && -n $large ]] || { cat "$work/log" >&2; exit 1; }
reference=$(reference_time "$work/large")

echo "file list, 10,000 files:   ${small}s ($small_lines lines)"
echo "file list, 100,000 files:  ${large}s ($large_lines lines)"
echo "ls -f | sort -f, 100,000:  ${reference}s"
awk -v s="$small" -v l="$large" 'BEGIN {
    printf "growth 10k -> 100k: x%.1f (n log n predicts x%.1f, quadratic x100)\n", l / s, 10 * log(100000) / log(10000) }'
awk -v l="$large" -v r="$reference" 'BEGIN { printf "filelist: %.2f (target 3)\n", l / r }'
