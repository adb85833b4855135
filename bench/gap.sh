#!/usr/bin/env bash
# Silence between files played back to back (close, open, play on completion), from the null sink (ms)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/media/common.sh
build_mediabench

# A PulseAudio server with the null sink, started here unless one already answers.
started=0
if ! pactl info >/dev/null 2>&1; then
    export QUELMO_SERVICES_DIR=${QUELMO_SERVICES_DIR:-/tmp/quelmo-services-bench}
    eval "$(scripts/test-services start)"
    started=1
fi
sink=${QUELMO_NULL_SINK:-quelmo_null}
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [[ $started -eq 1 ]] && scripts/test-services stop
}
trap cleanup EXIT

tones=()
for spec in 440_1500 880_1500 660_1500_48000 550_1500; do
    [[ -s $bench_dir/tone_$spec.mp3 ]] || tests/media/make-tone.sh "$bench_dir" "$spec"
    tones+=("$bench_dir/tone_$spec.mp3")
done
# An idle null sink renders nothing; a stream of silence keeps it (and its monitor) running. Its
# latency is short because the monitor misses what the sink rewrites when a new stream joins.
pacat --playback --raw --format=s16le --rate=44100 --channels=1 --latency-msec=5 /dev/zero &
pids+=($!)
parec -d "$sink.monitor" --format=s16le --rate=44100 --channels=1 --raw --latency-msec=10 >"$bench_dir/gap.raw" &
pids+=($!)
sleep 0.5
QUELMO_AUDIO_OUTPUT=pulse "$mediabench" gap "${tones[@]}" "${tones[@]}"
sleep 0.5
kill "${pids[1]}"
echo "7 changes of file; one of them changes the sample rate (44.1 to 48 kHz and back)"
result=$("$mediabench" silence "$bench_dir/gap.raw")
echo "$result" | grep -v '^longest silence'
longest=$(sed -n 's/^longest silence: //p' <<<"$result")
echo "gap: $longest ms (target 50 ms)"
