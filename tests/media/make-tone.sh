#!/usr/bin/env bash
# Makes one tone fixture: make-tone.sh OUT_DIR TONE writes OUT_DIR/tone_TONE.mp3.
# TONE is FREQ_MS followed by any of _RATE (22050, 44100, 48000; default 44100), _mono (default
# stereo), _vbr (default 64 kbit/s CBR), _notag (no Xing/Info header). Examples: 440_500,
# 880_300_48000_mono_vbr, 660_400_notag. A sine of FREQ Hz for MS milliseconds, at half volume.
set -euo pipefail
out_dir=$1
tone=$2
IFS=_ read -r -a parts <<<"$tone"
freq=${parts[0]}
ms=${parts[1]}
rate=44100 channels=2 mode=cbr tag=1
for part in "${parts[@]:2}"; do
    case $part in
    22050 | 44100 | 48000) rate=$part ;;
    mono) channels=1 ;;
    vbr) mode=vbr ;;
    notag) tag=0 ;;
    *) echo "make-tone: unknown part '$part' in $tone" >&2; exit 2 ;;
    esac
done
lame_args=(--quiet --resample "$(awk "BEGIN { print $rate / 1000 }")")
[[ $mode == vbr ]] && lame_args+=(-V 4) || lame_args+=(-b 64)
[[ $channels == 1 ]] && lame_args+=(-m m)
[[ $tag == 0 ]] && lame_args+=(-t)
mkdir -p "$out_dir"
tmp=$(mktemp "$out_dir/.tone.XXXXXX.wav")
trap 'rm -f "$tmp"' EXIT
sox -n -r "$rate" -c "$channels" -b 16 "$tmp" synth "$(awk "BEGIN { print $ms / 1000 }")" sine "$freq" vol 0.5
lame "${lame_args[@]}" "$tmp" "$out_dir/tone_$tone.mp3"
