#!/usr/bin/env bash
# Open of a 60 MB variable bit rate MP3 with a Xing header, warm cache, median of 50 (ms)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/media/common.sh
build_mediabench
file=$(make_sound open-60mb-vbr 2700 "whitenoise vol 0.4" "-V 0")
size=$(stat -c %s "$file")
echo "file: $file, $((size / 1000000)) MB"
cat "$file" >/dev/null # warm cache
result=$(QUELMO_AUDIO_OUTPUT=null "$mediabench" open "$file" 50)
echo "$result"
median=$(sed -n 's/^open ms: median \([0-9.]*\).*/\1/p' <<<"$result")
echo "open: $median ms (target 5 ms)"
