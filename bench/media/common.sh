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
