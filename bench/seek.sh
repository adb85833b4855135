#!/usr/bin/env bash
# A move within a playing file (the desktop's position slider): ms from the move until its sound plays
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/media/common.sh
build_mediabench

use_sound_server

# The null sink runs, as a desktop's sound device does, at a short latency: the figure is then the
# player's own (without this the idle null sink holds some 150 ms, which any new sound waits for).
keep_sink_running
bench_pids+=("$silence_pid")

tone=$(make_sound wake 60 "sine 440" "-b 128")
result=$(QUELMO_AUDIO_OUTPUT=pulse "$mediabench" seek "$tone" 20)
echo "$result" | grep -v '^worst'
echo "seek: $(sed -n 's/^worst: //p' <<<"$result") ms (target 30 ms)"
