#!/usr/bin/env bash
# CPU to play a 10-minute MP3 to the unpaced null output, as a ratio to mpg123 -o dummy
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/media/common.sh
build_mediabench
file=$(make_sound decode-10min 600 "sine 220:880 sine 330 pinknoise vol 0.3" "-b 192")
best_ours=999 best_ref=999
for round in 1 2 3; do
    ours=$(QUELMO_AUDIO_OUTPUT=null QUELMO_AUDIO_DEVICE=unpaced cpu_seconds "$mediabench" play "$file")
    ref=$(cpu_seconds mpg123 -q -o dummy "$file")
    echo "round $round: Quelmo ${ours} s, mpg123 -o dummy ${ref} s"
    best_ours=$(awk -v a="$ours" -v b="$best_ours" 'BEGIN { print (a < b) ? a : b }')
    best_ref=$(awk -v a="$ref" -v b="$best_ref" 'BEGIN { print (a < b) ? a : b }')
done
ratio=$(awk -v a="$best_ours" -v b="$best_ref" 'BEGIN { printf "%.2f", a / b }')
echo "best of 3: Quelmo ${best_ours} s, mpg123 ${best_ref} s CPU"
echo "decode: $ratio (target 1.2)"
