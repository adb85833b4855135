#!/usr/bin/env bash
# Silence between files played back to back (close, open, play on completion), from the null sink (ms)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/media/common.sh
build_mediabench

use_sound_server

make_gap_tones
keep_sink_running
bench_pids+=("$silence_pid")
record_sink "$bench_dir/gap.raw"
bench_pids+=("$recorder_pid")
sleep 0.5
QUELMO_AUDIO_OUTPUT=pulse "$mediabench" gap "${tones[@]}" "${tones[@]}"
sleep 0.5
kill "${bench_pids[1]}"
echo "7 changes of file; one of them changes the sample rate (44.1 to 48 kHz and back)"
result=$("$mediabench" silence "$bench_dir/gap.raw")
echo "$result" | grep -v '^longest silence'
longest=$(sed -n 's/^longest silence: //p' <<<"$result")
echo "gap: $longest ms (target 50 ms)"
