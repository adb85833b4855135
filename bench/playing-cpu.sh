#!/usr/bin/env bash
# CPU seconds of the whole player over one minute of playing, against mpg123 playing the same file
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/app/player.sh

song=$(make_sound song-60s 62 "sine 300-900 sine 500" "--vbr-new -V 2")

# The reference: the command-line player, the same file, the same sink, for 60 seconds.
ref_cpu=$(cpu_seconds mpg123 -q -o pulse -n $((60 * 44100 / 1152)) "$song")

player_start "$song"
sleep 1
ticks() { awk '{ print $14 + $15 }' "/proc/$player_pid/stat"; }
start_ticks=$(ticks)
player_play_album
sleep 60
end_ticks=$(ticks)
peak_kb=$(awk '/VmHWM/ { print $2 }' "/proc/$player_pid/status")
player_close
hz=$(getconf CLK_TCK)
player_cpu=$(awk -v a="$start_ticks" -v b="$end_ticks" -v hz="$hz" 'BEGIN { printf "%.2f", (b - a) / hz }')
echo "player: ${player_cpu} s CPU over 60 s of playing (timer ticks and display included)"
echo "mpg123: ${ref_cpu} s CPU for the same 60 s to the same sink"
echo "player peak memory (VmHWM): $((peak_kb / 1024)) MiB"
echo "playing-cpu: $(awk -v p="$player_cpu" -v r="$ref_cpu" 'BEGIN { printf "%.2f", p / r }') (target 1.5)"
