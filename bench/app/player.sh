# Shared by the player benchmarks: the built player on a tree of its own, under the virtual X
# server and the PulseAudio server of scripts/test-services, driven with xdotool.
# Sourced by bench/sequence.sh and bench/playing-cpu.sh from the top of the tree.
source bench/media/common.sh
cmake --preset default >/dev/null
cmake --build build/default --target quelmo mediabench -j2 >/dev/null
mediabench=build/default/bench/mediabench
eval "$(scripts/test-services start)"

player_tree=$(mktemp -d)
player_pids=()
player_cleanup() {
    for pid in "${player_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$player_tree"
}
trap player_cleanup EXIT

# player_start FILE...: the files in c:\Music\Album, the player shown at c:\Music.
player_start() {
    mkdir -p "$player_tree/Music/Album" "$player_tree/home" "$player_tree/etc"
    cp "$@" "$player_tree/Music/Album/"
    printf '[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=-1\n' >"$player_tree/home/Quelmo.ini"
    # c: is the tree; y: holds the rest of the system (the home and the program's folder).
    QT_QPA_PLATFORM=xcb QUELMO_DRIVES="c=$player_tree;y=/" XDG_CONFIG_HOME="$player_tree/home" \
        XDG_CONFIG_DIRS="$player_tree/etc" build/default/app/quelmo >/dev/null 2>&1 &
    player_pid=$!
    player_pids+=("$player_pid")
    player_window=""
    for _ in $(seq 100); do
        player_window=$(xdotool search --name '^Lecteur MP3 - Quelmo$' 2>/dev/null | head -n 1 || true)
        [[ -n $player_window ]] && break
        sleep 0.1
    done
    [[ -n $player_window ]] || { echo "the player's window did not appear" >&2; exit 1; }
}

player_click() { xdotool mousemove --window "$player_window" "$1" "$2" click 1; }
# The directory line "Album" (third line of the directory list), then "Lecture".
player_play_album() { player_click 48 86; sleep 0.2; player_click 329 511; }
player_close() { player_click 595 511; wait "$player_pid" 2>/dev/null || true; }
