#!/usr/bin/env bash
# Builds the directory list of a directory of 20,000 subdirectories, against ls -f | sort -f.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/fsbrowse/common.sh

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_dirs "$work/tree" 20000

read -r took lines < <(QT_QPA_PLATFORM=offscreen "$BENCH" dirs "$work/tree" 2>>"$work/log")
[[ -n $took ]] || { cat "$work/log" >&2; exit 1; }
reference=$(reference_time "$work/tree")
echo "directory list, 20,000 subdirectories: ${took}s ($lines lines)"
echo "ls -f | sort -f:                       ${reference}s"
awk -v t="$took" -v r="$reference" 'BEGIN { printf "dirlist: %.2f (target 3)\n", t / r }'
