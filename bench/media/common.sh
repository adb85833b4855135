# Shared by the media benchmarks: builds the benchmark program and makes test sounds.
# Sourced by bench/decode.sh, open.sh and gap.sh from the top of the tree.
bench_dir=build/bench-media
mkdir -p "$bench_dir"

build_mediabench() {
    cmake --preset default >/dev/null
    cmake --build build/default --target mediabench -j2 >/dev/null
    mediabench=build/default/bench/mediabench
}

# make_sound NAME SECONDS SOX_SYNTH LAME_OPTIONS: $bench_dir/NAME.mp3, made once and kept.
make_sound() {
    local out="$bench_dir/$1.mp3"
    if [[ ! -s $out ]]; then
        echo "making $out ($2 s)..." >&2
        sox -n -r 44100 -c 2 -b 16 -t wav - synth "$2" $3 2>/dev/null | lame --quiet $4 - "$out.tmp"
        mv "$out.tmp" "$out"
    fi
    echo "$out"
}

# CPU seconds (user + system) of a command, its output discarded.
cpu_seconds() {
    local TIMEFORMAT='%3U %3S'
    local times
    times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    awk '{ print $1 + $2 }' <<<"$times"
}

# The four 1.5-second tones of the gap benchmarks (one at 48 kHz), made once; sets `tones`.
make_gap_tones() {
    tones=()
    for tone in 440_1500 880_1500 660_1500_48000 550_1500; do
        [[ -s $bench_dir/tone_$tone.mp3 ]] || tests/fixtures/make-tone.sh "$bench_dir" "$tone"
        tones+=("$bench_dir/tone_$tone.mp3")
    done
}

# keep_sink_running [SINK [RATE CHANNELS]]: a stream of silence on the null sink (the test sink by
# default), in the background (its pid in `silence_pid`). An idle null sink renders nothing, so its
# monitor would start late; the stream's latency is short because the monitor misses what the sink
# rewrites when a new stream joins. An idle sink has rendered up to two seconds ahead that no rewrite
# reaches: this returns once the sink has played that out (its latency is short again), or after
# three seconds.
keep_sink_running() {
    local sink=${1:-${QUELMO_NULL_SINK:-quelmo_null}} rate=${2:-44100} channels=${3:-1} latency
    pacat --playback -d "$sink" --raw --format=s16le --rate="$rate" --channels="$channels" --latency-msec=5 \
        /dev/zero &
    silence_pid=$!
    for _ in $(seq 60); do
        latency=$(pactl list sinks | awk -v name="Name: $sink" '$0 ~ name { found = 1 }
            found && /Latency:/ { print $2; exit }')
        [[ -n $latency && $latency -lt 20000 ]] && break
        sleep 0.05
    done
}

# record_sink FILE: records the null sink's monitor into FILE, in the background (`recorder_pid`).
record_sink() {
    parec -d "${QUELMO_NULL_SINK:-quelmo_null}.monitor" --format=s16le --rate=44100 --channels=1 --raw \
        --latency-msec=10 >"$1" &
    recorder_pid=$!
}

# make_sweep_pieces NAME RATE...: one long sine sweep cut into pieces, one per RATE given, each
# encoded on its own with its gapless header (encoder delay and padding), in $bench_dir/NAME/,
# made once; sets `pieces` and `pieces_ms`, their length together. The sweep never repeats, so each
# sample has one place in it; pieces of a different rate are cut from the same sweep made at that
# rate, at the same instants (multiples of 10 ms), so that the signal goes on across every boundary.
make_sweep_pieces() {
    local name=$1 dir=$bench_dir/$1
    shift
    local rates=("$@") count=$# total=0 k
    local lengths=()
    for ((k = 0; k < count; k++)); do
        lengths+=($((470 + (k * 73) % 300))) # 470 to 760 ms, never a whole number of MP3 frames
        total=$((total + lengths[k]))
    done
    pieces=()
    mkdir -p "$dir"
    local at=0 rate
    for ((k = 0; k < count; k++)); do
        rate=${rates[k]}
        local out
        out=$(printf '%s/piece_%02d.mp3' "$dir" $((k + 1)))
        if [[ ! -s $out ]]; then
            [[ -s $dir/sweep_$rate.wav ]] ||
                sox -n -r "$rate" -c 2 -b 16 "$dir/sweep_$rate.wav" synth "$(awk "BEGIN { print $total / 1000 }")" \
                    sine 200-1200 vol 0.5
            sox "$dir/sweep_$rate.wav" "$dir/piece.wav" trim "$((at * rate / 1000))s" "$((lengths[k] * rate / 1000))s"
            lame --quiet -b 192 "$dir/piece.wav" "$out.tmp"
            mv "$out.tmp" "$out"
            rm "$dir/piece.wav"
        fi
        pieces+=("$out")
        at=$((at + lengths[k]))
    done
    pieces_ms=$total
}

# use_sound_server: the PulseAudio server with the null sink that answers, else one started here.
# At the exit the processes in `bench_pids` are stopped, then the server if it was started here;
# a script that has more to undo sets its own trap and calls bench_cleanup from it.
bench_pids=()
bench_server_started=0
bench_cleanup() {
    for pid in "${bench_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    if [[ $bench_server_started -eq 1 ]]; then scripts/test-services stop; fi
}
use_sound_server() {
    if ! pactl info >/dev/null 2>&1; then
        export QUELMO_SERVICES_DIR=${QUELMO_SERVICES_DIR:-/tmp/quelmo-services-bench}
        eval "$(scripts/test-services start)"
        bench_server_started=1
    fi
    trap bench_cleanup EXIT
}
