#!/usr/bin/python3
"""The built player on a Wayland compositor, through Qt's Wayland plugin: a Weston of the test's
own, nested in the tests' X server (whose keyboard it passes on to its clients, which a Weston
without any output window cannot), and a notification area over StatusNotifier on a session bus of
the test's own. What the player asks of the compositor is read from the Wayland library's own
record of every request (WAYLAND_DEBUG).

- The window shows at its size; Tab and Space on "À propos" open the box over the window (its
  parent is the main window); Alt+F ("&Fermer") ends the program, which saves its settings.
- With a StatusNotifier host, the button hides the window and puts the icon in the area; the
  icon's activation brings the window back; F1 opens the help window.

Usage: wayland.py PROGRAM. Exit 0 on success, 1 on failure, 77 when what it needs is missing
outside CI."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

MAIN_TITLE = "Lecteur MP3 - Quelmo"
HELP_TITLE = "Aide du lecteur MP3 Quelmo"
WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"

WATCHER_XML = f"""<node>
 <interface name="{WATCHER}">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/>
   <arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{{sv}}" direction="out"/></method>
 </interface>
</node>"""


class NotificationArea(dbus.service.Object):
    """The smallest StatusNotifier watcher with a host: it records the items that register."""

    def __init__(self, bus):
        self.items = []
        self.bus_name = dbus.service.BusName(WATCHER, bus)
        super().__init__(bus, "/StatusNotifierWatcher")

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names its own bus name or its object path; either way it lives at the sender.
        self.items.append((sender, service if service.startswith("/") else "/StatusNotifierItem"))

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    def Properties(self):
        return {"RegisteredStatusNotifierItems": dbus.Array([s for s, _ in self.items], signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.Properties()[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.Properties()

    # The watcher's properties must be in its description: Qt reads them through it.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature="s")
    def Introspect(self):
        return WATCHER_XML


def wait_for(condition, seconds):
    """Calls condition, handling the bus's messages, until it gives something true or the time is
    up; returns its last answer."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while True:
        while context.iteration(False):
            pass
        answer = condition()
        if answer or time.monotonic() > end:
            return answer
        time.sleep(0.05)


class Desktop:
    """A Weston nested in the X server, and what the player asked of it."""

    def __init__(self, tree):
        self.tree = tree
        self.runtime = os.path.join(tree, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        self.env.pop("WAYLAND_DISPLAY", None)
        earlier = set(self.outputs())
        self.weston = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--use-pixman", "--socket=quelmo-test", "--no-config",
             "--idle-time=0", "--width=1024", "--height=768", "--log=" + os.path.join(tree, "weston.log")],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.output = None
        self.earlier = earlier

    @staticmethod
    def outputs():
        tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
        return re.findall(r"(0x[0-9a-f]+) \"Weston Compositor", tree)

    def started(self):
        if not wait_for(lambda: os.path.exists(os.path.join(self.runtime, "quelmo-test")), 20):
            return False
        # The compositor's output window on the X server; the keyboard is given to it.
        self.output = wait_for(lambda: [o for o in self.outputs() if o not in self.earlier], 10)
        return bool(self.output)

    def focus(self):
        """Gives the X server's keyboard to the compositor's output window, which passes it on."""
        window = self.output[0]
        if subprocess.run(["xdotool", "getwindowfocus"], capture_output=True, text=True).stdout.strip() != str(
                int(window, 16)):
            try:
                subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False, timeout=5)
            except subprocess.TimeoutExpired:
                pass  # typed keys then show whether the focus came

    def keys(self, player, *keys):
        """Keys typed on the compositor's keyboard, one at a time, each until the player's record
        shows it arrived: under load a key typed while the compositor is still busy can be lost,
        and a lost Tab would send every later key to the wrong button."""
        for key in keys:
            presses = 2 * len(key.split("+"))
            for _ in range(3):
                before = player.key_events()
                self.focus()
                subprocess.run(["xdotool", "key", key], check=False)
                if wait_for(lambda: player.key_events() >= before + presses or player.process.poll() is not None, 5):
                    break
            time.sleep(0.1)

    def stop(self):
        self.weston.terminate()
        self.weston.wait(10)


class Player:
    """The player on the compositor; its record of Wayland requests is read as it grows."""

    def __init__(self, program, desktop, tree, bus_address):
        self.record = os.path.join(tree, "wayland-%d.log" % time.monotonic_ns())
        env = dict(desktop.env, QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="quelmo-test", WAYLAND_DEBUG="client",
                   QUELMO_AUDIO_OUTPUT="null", QUELMO_DRIVES="c=" + tree + ";y=/",
                   XDG_CONFIG_HOME=os.path.join(tree, "home/.config"), XDG_CONFIG_DIRS=os.path.join(tree, "etc"),
                   DBUS_SESSION_BUS_ADDRESS=bus_address)
        env.pop("DISPLAY", None)
        with open(self.record, "w") as record:
            # A watchdog ends the player (same process, same pid) should the test itself be ended.
            self.process = subprocess.Popen(
                ["sh", "-c", '(sleep 120; kill -9 $$) >/dev/null 2>&1 & exec "$0"', program],
                env=env, stdout=subprocess.DEVNULL, stderr=record)

    def requests(self):
        with open(self.record, errors="replace") as record:
            return [line.split("-> ", 1)[1].strip() for line in record if "-> " in line]

    def events(self, pattern):
        """How many events of the player's record match the pattern."""
        with open(self.record, errors="replace") as record:
            return sum(1 for line in record if re.search(pattern, line))

    def key_events(self):
        """How many key presses and releases the player's windows were given."""
        return self.events(r"wl_keyboard@\d+\.key\(")

    def keyboard_entries(self):
        """How many times a window of the player got the keyboard."""
        return self.events(r"wl_keyboard@\d+\.enter\(")

    def toplevels(self, title):
        """The xdg_toplevel objects that were given this title, in order."""
        pattern = re.compile(r'^(xdg_toplevel@\d+)\.set_title\("' + re.escape(title) + r'"\)')
        return [m.group(1) for m in map(pattern.match, self.requests()) if m]

    def ended(self, seconds=10):
        try:
            self.process.wait(seconds)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)


def check_box_and_close(program, desktop, tree, bus, failures):
    player = Player(program, desktop, tree, bus)
    try:
        if not wait_for(lambda: player.toplevels(MAIN_TITLE), 20):
            failures.append("the window never shows")
            return
        main = player.toplevels(MAIN_TITLE)[0]
        # A window of one size: the compositor is told its least and largest size are the same.
        sizes = {r.split(".", 1)[1] for r in player.requests() if re.match(main + r"\.set_m(in|ax)_size", r)}
        wanted = {f"set_min_size({w}, {h})" for w, h in [(691, 574)]} | {"set_max_size(691, 574)"}
        if not wanted <= sizes:
            failures.append(f"the window is not of its fixed size: {sorted(sizes)}")
        if not wait_for(player.keyboard_entries, 20):
            failures.append("the window never gets the keyboard")
            return
        desktop.keys(player, *["Tab"] * 7, "space")  # "À propos"
        parent = re.compile(r"^xdg_toplevel@\d+\.set_parent\(" + re.escape(main) + r"\)")
        if not wait_for(lambda: any(parent.match(r) for r in player.requests()), 10):
            failures.append("the box does not open over the window (%d key events reached the player, "
                            "%d keyboard entries)" % (player.key_events(), player.keyboard_entries()))
        # The box has the keyboard, and then, once closed, gives it back to the window.
        wait_for(lambda: player.keyboard_entries() >= 2, 10)
        entries = player.keyboard_entries()
        desktop.keys(player, "Return")
        wait_for(lambda: player.keyboard_entries() > entries, 10)
        desktop.keys(player, "alt+f")
        if not player.ended():
            failures.append("Alt+F does not end the program")
        elif player.process.returncode != 0:
            with open(player.record, errors="replace") as record:
                said = [line for line in record if "-> " not in line and "wl_" not in line][-30:]
            failures.append(f"the program ends with {player.process.returncode}:\n" + "".join(said))
        with open(os.path.join(tree, "home/.config/Quelmo.ini")) as ini:
            if "Index=2" not in ini.read():
                failures.append("the settings are not saved")
    finally:
        player.stop()


def check_notification_area(program, desktop, tree, bus, area, failures):
    player = Player(program, desktop, tree, bus)
    try:
        if not wait_for(lambda: player.toplevels(MAIN_TITLE), 20):
            failures.append("the window never shows")
            return
        if not wait_for(player.keyboard_entries, 20):
            failures.append("the window never gets the keyboard")
            return
        desktop.keys(player, *["Tab"] * 8, "space")  # "Réduire en Icone"
        if not wait_for(lambda: area.items, 10):
            failures.append("the icon does not show in the notification area")
            return
        main = player.toplevels(MAIN_TITLE)[0]
        if not wait_for(lambda: main + ".destroy()" in player.requests(), 10):
            failures.append("the window is not hidden")
        sender, path = area.items[-1]
        entries = player.keyboard_entries()
        dbus.Interface(dbus.SessionBus().get_object(sender, path), ITEM).Activate(0, 0)
        if not wait_for(lambda: len(player.toplevels(MAIN_TITLE)) == 2, 10):
            failures.append("the icon's activation does not bring the window back")
            return
        wait_for(lambda: player.keyboard_entries() > entries, 10)
        desktop.keys(player, "F1")
        if not wait_for(lambda: player.toplevels(HELP_TITLE), 20):
            failures.append("F1 opens no help window")
    finally:
        player.stop()


def run(program, failures):
    with tempfile.TemporaryDirectory() as tree:
        for folder in ("home/.config", "etc", "Music/Album"):
            os.makedirs(os.path.join(tree, folder))
        for name in ("a.mp3", "b.mp3"):
            open(os.path.join(tree, "Music/Album", name), "w").close()
        with open(os.path.join(tree, "home/.config/Quelmo.ini"), "w") as ini:
            ini.write("[Config]\nDrive_Source=c\nDir_Source=c:\\Music\nIndex=2\n")
        desktop = Desktop(tree)
        try:
            if not desktop.started():
                failures.append("Weston does not start")
                return
            address = os.environ["DBUS_SESSION_BUS_ADDRESS"]
            check_box_and_close(program, desktop, tree, address, failures)
            area = NotificationArea(dbus.SessionBus())
            check_notification_area(program, desktop, tree, address, area, failures)
        finally:
            desktop.stop()
            if failures:
                with open(os.path.join(tree, "weston.log"), errors="replace") as log:
                    print("the compositor's log ends with:\n" + "".join(log.readlines()[-20:]))


def private_session_bus():
    """A session bus of the test's own, where the test's notification area is the only one."""
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, text=True)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    return bus


def private_x_server():
    """An X server of the test's own for the nested compositor: the keys typed for it go to no
    other test's window."""
    # -noreset: the server would otherwise reset when its last client leaves and pick its display
    # anew, under the clients that come next.
    server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    os.environ["DISPLAY"] = ":" + server.stdout.readline().strip()
    return server


def main(program):
    missing = [tool for tool in ("weston", "xdotool", "dbus-daemon", "Xvfb") if shutil.which(tool) is None]
    if missing:
        print("missing:", ", ".join(missing))
        return 1 if os.environ.get("CI") == "true" else 77
    server = private_x_server()
    bus = private_session_bus()
    DBusGMainLoop(set_as_default=True)
    failures = []
    try:
        run(program, failures)
    finally:
        for process in (bus, server):
            process.terminate()
            process.wait(10)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
