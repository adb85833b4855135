#!/usr/bin/env bash
# The player installed as a user or a package installs it: a staged install (DESTDIR) holds every
# file in its place; the desktop entry, the metainfo and the manual pages pass their validators;
# the staged program answers --version and --help, shows its window under the tests' X server and
# opens its help with F1; the Debian package holds the same files and names its dependencies.
# The program runs on an X server of the test's own, so no other test's window stands where it
# looks for its own. Usage: install-test.sh BUILD_DIR. Exits 1 on a failure, 77 (skipped) without
# Xvfb outside CI.
set -euo pipefail
build=$1
if ! command -v Xvfb >/dev/null; then
    [[ ${CI:-} == true ]] && { echo "no Xvfb: scripts/install-deps installs it"; exit 1; }
    echo 'needs Xvfb'
    exit 77
fi

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# Waits (up to 15 s) until the command succeeds.
wait_until() {
    for _ in $(seq 150); do "$@" && return 0; sleep 0.1; done
    return 1
}
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

work=$(mktemp -d)
player=
server=
cleanup() {
    # The player ends on SIGTERM as on "Quitter", saving its settings: wait for it before removing
    # the folders it writes.
    for process in $player $server; do
        kill "$process" 2>/dev/null
        wait "$process" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number when it is ready (-noreset: it would otherwise
# reset when its last client leaves and pick its display anew).
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
server=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -1 "$work/display")

stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
libdir=$(cache CMAKE_INSTALL_LIBDIR)
expected=(bin/quelmo "$libdir/quelmo/hhctrl.ocx" "$libdir/quelmo/hhctrl-reader" share/quelmo/quelmo.chm
    share/applications/quelmo.desktop share/metainfo/example.quelmo.Quelmo.metainfo.xml
    share/icons/hicolor/scalable/apps/quelmo.svg share/man/man1/quelmo.1.gz share/man/fr/man1/quelmo.1.gz)
for size in 16 32 48 64 128 256; do
    icon=share/icons/hicolor/${size}x$size/apps/quelmo.png
    expected+=("$icon")
    [[ -f $stage/usr/$icon && $(identify -format %wx%h "$stage/usr/$icon") == "${size}x$size" ]] ||
        fail "$icon is not a $size x $size picture"
done
actual=$(cd "$stage/usr" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ $actual == "$wanted" ]] || fail "the staged install holds"$'\n'"$actual"$'\n'"instead of"$'\n'"$wanted"

desktop-file-validate "$stage/usr/share/applications/quelmo.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$stage/usr/share/metainfo/example.quelmo.Quelmo.metainfo.xml" >/dev/null ||
    fail "metainfo: $(appstreamcli validate --no-net "$stage/usr/share/metainfo/"*.xml)"
for page in share/man/man1/quelmo.1.gz share/man/fr/man1/quelmo.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$stage/usr/$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$page: $warnings"
done

program=$stage/usr/bin/quelmo
[[ $("$program" --version) == "Quelmo $(cache CMAKE_PROJECT_VERSION)" ]] || fail "--version: $("$program" --version)"
"$program" -debug --help | grep -q '^Utilisation : quelmo' || fail "--help"

# The staged copy finds its help control and help file from its own folder: nothing points at them.
mkdir -p "$work/home" "$work/etc"
env -u QUELMO_WINDIR -u QUELMO_HHCTRL -u QUELMO_PROGRAM_PATH -u QUELMO_DRIVES QT_QPA_PLATFORM=xcb \
    XDG_CONFIG_HOME="$work/home" XDG_CONFIG_DIRS="$work/etc" QUELMO_AUDIO_OUTPUT=null "$program" &
player=$!
window() { xdotool search --all --pid "$player" --name "$1" 2>/dev/null | head -1; }
shows() { [[ -n $(window "$1") ]]; }
if wait_until shows '^Lecteur MP3 - Quelmo$'; then
    xdotool key --window "$(window '^Lecteur MP3 - Quelmo$')" F1
    wait_until shows '^Aide du lecteur MP3 Quelmo$' || fail "F1 opens no help window"
else
    fail "the staged program shows no window"
fi

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    exit 1
}
deb=$(ls "$work"/package/*.deb)
info=$(dpkg-deb --info "$deb")
grep -q '^ Package: quelmo$' <<<"$info" || fail "package name"
for dependency in libqt6widgets6 libqt6dbus6 libmpg123-0 libout123-0 libpulse0 libchm1 fonts-liberation; do
    grep -q "^ Depends: .*\b$dependency\b" <<<"$info" || fail "no dependency on $dependency"$'\n'"$info"
done
grep -q '^ Recommends: .*\bqt6-wayland\b' <<<"$info" || fail "qt6-wayland is not recommended"$'\n'"$info"
packed=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort)
[[ $packed == "$wanted" ]] || fail "the package holds"$'\n'"$packed"

echo "$failures failed"
[[ $failures -eq 0 ]]
