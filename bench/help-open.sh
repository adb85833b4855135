#!/usr/bin/env bash
# Opening the player's help file (contents, index and search built) in a new help window, median of 30 (ms)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/help/common.sh
result=$(build/default/bench/helpbench "$PWD/help/quelmo.chm" 30)
echo "$result"
# A damaged copy (cut in half) must still fail without a window.
head -c "$(($(stat -c %s help/quelmo.chm) / 2))" help/quelmo.chm >"$help_home/tronque.chm"
build/default/bench/helpbench damaged "$help_home/tronque.chm"
median=$(sed -n 's/^help-open ms: .*median \([0-9.]*\),.*/\1/p' <<<"$result")
echo "help-open: $median ms (target 100 ms)"
