#!/usr/bin/env bash
# Start-up time of the player until its window is shown, against a bare Qt window.
# Both run under a virtual X server, 15 times each, interleaved; the figure is the ratio of medians.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build build/default --target quelmo bench_barewindow >/dev/null
eval "$(scripts/test-services start)"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/etc"
export XDG_CONFIG_HOME="$home" XDG_CONFIG_DIRS="$home/etc" QUELMO_QUIT_AFTER_SHOW=1 QT_QPA_PLATFORM=xcb

timeit() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N); echo $(((t1 - t0) / 1000)); }
player=() bare=()
for _ in $(seq 15); do
    player+=("$(timeit build/default/app/quelmo)")
    bare+=("$(timeit build/default/bench/bench_barewindow)")
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
p=$(median "${player[@]}")
b=$(median "${bare[@]}")
echo "player: median ${p} us; bare Qt window: median ${b} us"
echo "startup: $(awk -v p="$p" -v b="$b" 'BEGIN { printf "%.2f", p / b }') (target 1.2)"
