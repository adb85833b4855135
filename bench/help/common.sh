# Shared by the help benchmarks: builds the benchmark program and the help control, starts the
# test services, and points the help window's remembered place at a temporary folder of its own.
# Sourced by bench/help-open.sh and help-large.sh from the top of the tree.
cmake --preset default >/dev/null
cmake --build build/default --target helpbench quelmo_hhctrl -j2 >/dev/null
eval "$(scripts/test-services start)"
help_home=$(mktemp -d)
trap 'rm -rf "$help_home"' EXIT
mkdir -p "$help_home/etc"
export XDG_CONFIG_HOME="$help_home" XDG_CONFIG_DIRS="$help_home/etc" QT_QPA_PLATFORM=xcb
export QUELMO_HHCTRL="$PWD/build/default/app/hhctrl.ocx"
