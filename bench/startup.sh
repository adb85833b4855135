#!/usr/bin/env bash
# Start-up time of the player until its first frame is on screen, against a bare Qt window.
# All run under a virtual X server, 15 times each, interleaved. Each program writes the time of
# its first frame ("first frame MICROSECONDS", wall clock) and ends; the start-up is that time less
# the moment it was launched. The figure is the ratio of medians. Beside it, for information: the
# whole run (start-up, one turn of the message loop, exit), and a plain Qt window with the same
# kinds of widgets and text, which shows what drawing text costs over the bare window.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build build/default --target quelmo bench_barewindow bench_textwindow >/dev/null
eval "$(scripts/test-services start)"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/etc"
export XDG_CONFIG_HOME="$home" XDG_CONFIG_DIRS="$home/etc" QUELMO_QUIT_AFTER_FIRST_FRAME=1 QT_QPA_PLATFORM=xcb

# Prints "FIRST_FRAME_US WHOLE_RUN_US" for one run of the program.
timeit() {
    local t0 t1 frame
    t0=${EPOCHREALTIME/./}
    frame=$("$@" 2>&1 >/dev/null | sed -n 's/^first frame //p')
    t1=${EPOCHREALTIME/./}
    [[ -n $frame ]] || { echo "no first frame reported by $1" >&2; exit 1; }
    echo "$((frame - t0)) $((t1 - t0))"
}
player=() bare=() text=() playerWhole=() bareWhole=()
for _ in $(seq 15); do
    read -r frame whole < <(timeit build/default/app/quelmo)
    player+=("$frame") playerWhole+=("$whole")
    read -r frame whole < <(timeit build/default/bench/bench_barewindow)
    bare+=("$frame") bareWhole+=("$whole")
    read -r frame whole < <(timeit build/default/bench/bench_textwindow)
    text+=("$frame")
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
p=$(median "${player[@]}")
b=$(median "${bare[@]}")
echo "first frame: player median ${p} us; bare Qt window median ${b} us"
t=$(median "${text[@]}")
echo "first frame: plain Qt window with the same kinds of widgets and text median ${t} us" \
    "($(awk -v t="$t" -v b="$b" 'BEGIN { printf "%.2f", t / b }') of the bare window;" \
    "the player is $(awk -v p="$p" -v t="$t" 'BEGIN { printf "%.2f", p / t }') of it)"
echo "whole run (to exit): player median $(median "${playerWhole[@]}") us; bare Qt window median $(median "${bareWhole[@]}") us"
echo "startup: $(awk -v p="$p" -v b="$b" 'BEGIN { printf "%.2f", p / b }') (target 1.2)"
