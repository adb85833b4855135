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
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [[ $started -eq 1 ]] && scripts/test-services stop
}
trap cleanup EXIT

make_gap_tones
keep_sink_running
pids+=("$silence_pid")
record_sink "$bench_dir/gap.raw"
pids+=("$recorder_pid")
sleep 0.5
QUELMO_AUDIO_OUTPUT=pulse "$mediabench" gap "${tones[@]}" "${tones[@]}"
sleep 0.5
kill "${pids[1]}"
echo "7 changes of file; one of them changes the sample rate (44.1 to 48 kHz and back)"
result=$("$mediabench" silence "$bench_dir/gap.raw")
echo "$result" | grep -v '^longest silence'
longest=$(sed -n 's/^longest silence: //p' <<<"$result")
echo "gap: $longest ms (target 50 ms)"
