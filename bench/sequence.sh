#!/usr/bin/env bash
# Samples lost or added at each boundary between files in the player's running sequence
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/app/player.sh

# One long sine sweep cut into pieces, each encoded with its gapless header; the running player
# plays them from its file list while the null sink's monitor records what it sends, at the sink's
# own rate, so that nothing is resampled on the way. The analyser decodes the same files with the
# decoder alone and finds every file in the recording to the sample.
# run_sequence SINK_RATE RATE...: one round over pieces of these rates; prints each boundary.
run_sequence() {
    local sink_rate=$1
    shift
    local sink=quelmo_seq_$sink_rate module
    module=$(pactl load-module module-null-sink sink_name="$sink" rate="$sink_rate" channels=2)
    modules+=("$module")
    make_sweep_pieces "sweep_$(IFS=-; echo "$*")" "$@"
    rm -rf "$player_tree/Music"
    keep_sink_running "$sink" "$sink_rate" 2
    local silence=$silence_pid
    parec -d "$sink.monitor" --format=s16le --rate="$sink_rate" --channels=2 --raw --latency-msec=10 \
        >"$bench_dir/sequence.raw" &
    local recorder=$!
    sleep 1
    QUELMO_AUDIO_DEVICE=$sink player_start "${pieces[@]}"
    player_play_album
    sleep "$(awk -v ms="$pieces_ms" 'BEGIN { print ms / 1000 + 1 }')"
    kill "$recorder" "$silence"
    wait "$recorder" "$silence" 2>/dev/null || true
    player_close
    "$mediabench" boundaries "$bench_dir/sequence.raw" "$sink_rate" "${pieces[@]}"
}

modules=()
unload_sinks() { for m in "${modules[@]}"; do pactl unload-module "$m" 2>/dev/null || true; done; }
trap 'unload_sinks; player_cleanup' EXIT
rates44=() rates48=()
for _ in $(seq 21); do rates44+=(44100) rates48+=(48000); done
echo "21 files at 44.1 kHz (20 boundaries):"
run_sequence 44100 "${rates44[@]}" >"$bench_dir/sequence44.txt"
out44=$(cat "$bench_dir/sequence44.txt")
echo "$out44"
echo "21 files at 48 kHz (20 boundaries):"
run_sequence 48000 "${rates48[@]}" >"$bench_dir/sequence48.txt"
out48=$(cat "$bench_dir/sequence48.txt")
echo "$out48"
echo "9 files changing between 44.1 and 48 kHz every two files (sink at 44.1 kHz: the 48 kHz files are"
echo "resampled by the server, so these boundaries are exact to a few samples only):"
run_sequence 44100 44100 44100 48000 48000 44100 44100 48000 48000 44100 >"$bench_dir/sequencemix.txt"
outmix=$(cat "$bench_dir/sequencemix.txt")
echo "$outmix"
worst=$(printf '%s\n%s\n%s\n' "$out44" "$out48" "$outmix" | awk '/^worst boundary:/ { if ($5 > w) w = $5 } END { print w + 0 }')
change=$(sed -n 's/^worst change of rate: \(.*\) ms/\1/p' <<<"$outmix")
echo "change of rate (the output reopened): worst ${change} ms (target 50 ms)"
echo "sequence: ${worst} ms at the worst boundary of equal rates (target 1 ms)"
