#!/usr/bin/python3
"""The built player's window as a screen reader meets it: the program runs on an X server and a
session bus of the test's own with its accessibility bridge on, and the test reads the
accessibility tree (AT-SPI) that the desktop's accessibility bus carries: the window is a frame, every control has its French
name, the drive list is "Lecteurs" with the current drive as its value (the label above it shows the
source folder and is not its name), and the tree holds nothing the user cannot reach.

Usage: accessibility.py PROGRAM. Exit 0 on success, 1 on failure, 77 when Xvfb or dbus-daemon is
missing outside CI."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

# pyatspi is imported once the test's own session bus is in place (PrivateSessionBus).
pyatspi = None

# Role and name of every control, as the tree must show them.
EXPECTED = {
    ("frame", "Lecteur MP3 - Quelmo"),
    ("combo box", "Lecteurs"),
    ("list", "Dossiers"),
    ("list", "Fichiers MP3"),
    ("push button", "Lecture"),
    ("push button", "Pause"),
    ("push button", "Stop"),
    ("push button", "Fermer"),
    ("push button", "À propos"),
    ("push button", "Réduire dans la zone de notification"),
}


def wait_for(condition, seconds):
    """Calls condition until it gives something true or the time is up; returns its last answer."""
    end = time.monotonic() + seconds
    while True:
        answer = condition()
        if answer or time.monotonic() > end:
            return answer
        time.sleep(0.1)


def application_of(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def controls(node, depth=0):
    """Every accessible under node, the lines of the lists left out (they are the files)."""
    found = [node]
    if node.getRoleName() in ("list", "combo box") or depth > 6:
        return found
    for child in node:
        if child is not None:
            found += controls(child, depth + 1)
    return found


def labels_for(node):
    """The names of the accessibles that node is the label of."""
    targets = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABEL_FOR:
            targets += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return targets


def drive_value(node):
    """What a screen reader reads as a drop-down list's value: its text."""
    try:
        return node.queryText().getText(0, -1)
    except NotImplementedError:
        return None


def check(app):
    failures = []
    nodes = controls(app)
    found = {(node.getRoleName(), node.name) for node in nodes}
    for role, name in sorted(EXPECTED - found):
        failures.append(f"no {role} named {name!r}")
    for node in nodes[1:]:
        state = node.getState()
        extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if state.contains(pyatspi.STATE_FOCUSABLE) and (extents.width <= 0 or extents.height <= 0):
            failures.append(f"a focusable {node.getRoleName()} {node.name!r} of {extents.width}x{extents.height}")
        # A label may be empty ("Stop" empties the time); anything else needs a name.
        if not node.name and node.getRoleName() != "label":
            failures.append(f"a {node.getRoleName()} without a name")
    labelled = [target for node in nodes if node.getRoleName() == "label" for target in labels_for(node)]
    if labelled:
        failures.append(f"the labels name {labelled}")
    drives = [node for node in nodes if node.getRoleName() == "combo box"]
    if drives and not (drive_value(drives[0]) or "").startswith("c:"):
        failures.append(f"the drive list's value is {drive_value(drives[0])!r}")
    return failures


def private_session_bus():
    """A session bus of the test's own, so that the accessibility registry holds this player alone:
    other test programs that come and go on the shared bus would make every query wait on them.
    Returns the bus process; its address is in the environment from then on."""
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, text=True)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    return bus


def private_x_server():
    """An X server of the test's own: no other test's window stands where this one is looked for.
    Returns the server process; its display is in the environment from then on."""
    # -noreset: the server would otherwise reset when its last client leaves and pick its display
    # anew, under the clients that come next.
    server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    os.environ["DISPLAY"] = ":" + server.stdout.readline().strip()
    return server


def main(program):
    missing = [tool for tool in ("Xvfb", "dbus-daemon") if shutil.which(tool) is None]
    if missing:
        print("missing:", ", ".join(missing))
        return 1 if os.environ.get("CI") == "true" else 77
    server = private_x_server()
    bus = private_session_bus()
    global pyatspi
    try:
        import pyatspi as bindings
        pyatspi = bindings
        return run(program)
    finally:
        for process in (bus, server):
            process.terminate()
            process.wait(10)


def run(program):
    with tempfile.TemporaryDirectory() as tree:
        for folder in ("home/.config", "etc", "Music/Album"):
            os.makedirs(os.path.join(tree, folder))
        for name in ("a.mp3", "b.mp3"):
            open(os.path.join(tree, "Music/Album", name), "w").close()
        with open(os.path.join(tree, "home/.config/Quelmo.ini"), "w") as ini:
            ini.write("[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=2\n")
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   QUELMO_AUDIO_OUTPUT="null", QUELMO_DRIVES="c=" + tree + ";y=/",
                   XDG_CONFIG_HOME=os.path.join(tree, "home/.config"), XDG_CONFIG_DIRS=os.path.join(tree, "etc"))
        # A watchdog ends the player (same process, same pid) should the test itself be ended.
        player = subprocess.Popen(["sh", "-c", '(sleep 120; kill -9 $$) >/dev/null 2>&1 & exec "$0"', program],
                                  env=env)
        try:
            app = wait_for(lambda: application_of(player.pid), 20)
            if app is None:
                print("the player does not appear on the accessibility bus")
                return 1
            # The window's controls are in the tree once it has been shown.
            wait_for(lambda: not check(app), 10)
            failures = check(app)
        finally:
            player.terminate()
            player.wait(10)
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(EXPECTED) - len([f for f in failures if f.startswith('no ')])} of {len(EXPECTED)} names found")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
