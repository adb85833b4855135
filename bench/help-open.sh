#!/usr/bin/env bash
# Opening the player's help file (contents, index and search built) in a new help window, median of 30 (ms)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build build/default --target helpbench quelmo_hhctrl -j2 >/dev/null
eval "$(scripts/test-services start)"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/etc"
# The window's remembered place goes to a folder of its own; the control is the one just built.
export XDG_CONFIG_HOME="$home" XDG_CONFIG_DIRS="$home/etc" QT_QPA_PLATFORM=xcb
export QUELMO_HHCTRL="$PWD/build/default/app/hhctrl.ocx"
result=$(build/default/bench/helpbench "$PWD/help/quelmo.chm" 30)
echo "$result"
# A damaged copy (cut in half) must still fail without a window.
head -c "$(($(stat -c %s help/quelmo.chm) / 2))" help/quelmo.chm >"$home/tronque.chm"
build/default/bench/helpbench damaged "$home/tronque.chm"
median=$(sed -n 's/^help-open ms: .*median \([0-9.]*\),.*/\1/p' <<<"$result")
echo "help-open: $median ms (target 100 ms)"
