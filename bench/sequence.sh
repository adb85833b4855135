#!/usr/bin/env bash
# Silence between the end of one file and the start of the next in the player's running sequence (ms)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/app/player.sh

tones=()
for spec in 440_1500 880_1500 660_1500_48000 550_1500; do
    [[ -s $bench_dir/tone_$spec.mp3 ]] || tests/media/make-tone.sh "$bench_dir" "$spec"
    tones+=("$bench_dir/tone_$spec.mp3")
done
# An idle null sink renders nothing; a stream of silence keeps it (and its monitor) running.
pacat --playback --raw --format=s16le --rate=44100 --channels=1 --latency-msec=5 /dev/zero &
player_pids+=($!)
player_start "${tones[@]}"
parec -d "${QUELMO_NULL_SINK:-quelmo_null}.monitor" --format=s16le --rate=44100 --channels=1 --raw \
    --latency-msec=10 >"$bench_dir/sequence.raw" &
recorder=$!
player_pids+=("$recorder")
sleep 0.5
player_play_album
sleep 7.5 # four files and the first one again
kill "$recorder"
player_close
echo "one round of four files and the start of the next; one file is at 48 kHz, the others at 44.1 kHz"
result=$("$mediabench" silence "$bench_dir/sequence.raw")
echo "$result" | grep -v '^longest silence'
longest=$(sed -n 's/^longest silence: //p' <<<"$result")
echo "sequence: $longest ms (target 50 ms)"
