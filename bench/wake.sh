#!/usr/bin/env bash
# Resume after a pause long enough for the stream to be corked and the sink suspended: ms until the sound goes on
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/media/common.sh
build_mediabench

use_sound_server
# The test server has no idle suspension; a desktop's server suspends an idle sink after a few
# seconds: here after one.
module=$(pactl load-module module-suspend-on-idle timeout=1)
trap 'pactl unload-module "$module" || true; bench_cleanup' EXIT

tone=$(make_sound wake 60 "sine 440" "-b 128")
result=$(QUELMO_AUDIO_OUTPUT=pulse "$mediabench" wake "$tone" 5)
echo "$result" | grep -v '^worst'
echo "wake: $(sed -n 's/^worst: //p' <<<"$result") ms (target 30 ms)"
