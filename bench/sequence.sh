#!/usr/bin/env bash
# Silence between the end of one file and the start of the next in the player's running sequence (ms)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/app/player.sh

make_gap_tones
keep_sink_running
player_pids+=("$silence_pid")
player_start "${tones[@]}"
record_sink "$bench_dir/sequence.raw"
player_pids+=("$recorder_pid")
sleep 0.5
player_play_album
sleep 7.5 # four files and the first one again
kill "$recorder_pid"
player_close
echo "one round of four files and the start of the next; one file is at 48 kHz, the others at 44.1 kHz"
result=$("$mediabench" silence "$bench_dir/sequence.raw")
echo "$result" | grep -v '^longest silence'
longest=$(sed -n 's/^longest silence: //p' <<<"$result")
echo "sequence: $longest ms (target 50 ms)"
