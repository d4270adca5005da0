#!/usr/bin/python3
# Answers the desktop portal's screen-sharing and remote-desktop dialogs (GNOME's and KDE's) as
# they appear, through AT-SPI, as a user would with the mouse: "Allow remote interaction"
# switched on where the dialog has that switch (GNOME's is off at first) and Share pressed, or
# Cancel pressed. Whatever else the dialog offers ("Remember This Selection", "Allow restoring
# on future sessions") is left as the desktop sets it. The answer for each dialog is read, when
# it appears, from the file named on the command line ("share" or "cancel"; share when it is
# missing). One line per answered dialog goes to standard output: "shared" or "cancelled".
# Run with Debian's python3 (python3-pyatspi), on the session bus whose at-spi-bus-launcher
# the dialog's process reaches.
import sys
import time

import pyatspi

PORTALS = ("xdg-desktop-portal-gnome", "xdg-desktop-portal-kde")
# Compared without mnemonic marks and case: GNOME 43 names its button "_Share Share", GNOME 48
# and KDE "Share"; GNOME 43's switch reads "Allow remote interaction", GNOME 48's "Allow Remote
# Interaction".
SHARE = "share"
CANCEL = "cancel"
ALLOW = "allow remote interaction"


def named(node, text):
    return node.name.replace("_", "").replace("&", "").lower().startswith(text)


def find(node, roles, text):
    if node is None:
        return None
    try:
        if node.getRole() in roles and named(node, text):
            return node
        for child in node:
            found = find(child, roles, text)
            if found is not None:
                return found
    except Exception:  # a dialog going away under the walk
        pass
    return None


BUTTON = (pyatspi.ROLE_PUSH_BUTTON,)
SWITCH = tuple(
    getattr(pyatspi, role)
    for role in ("ROLE_CHECK_BOX", "ROLE_TOGGLE_BUTTON", "ROLE_SWITCH")
    if hasattr(pyatspi, role)
)


def find_switch(frame):
    """The switch named ALLOW, or the one inside a row of that name (GNOME 48's)."""
    named = find(frame, SWITCH, ALLOW)
    if named is not None:
        return named
    row = find_named(frame, ALLOW)
    return None if row is None else find(row, SWITCH, "")


def find_named(node, text):
    if node is None:
        return None
    try:
        if named(node, text):
            return node
        for child in node:
            found = find_named(child, text)
            if found is not None:
                return found
    except Exception:
        pass
    return None


def press(node):
    action = node.queryAction()
    if action.nActions > 0:
        action.doAction(0)
    else:
        # GTK 4.18 (GNOME 48) gives a check box neither an action nor a focus to grab: TAB
        # until it has the focus, then a space, as a user at the keyboard would.
        keys = Keyboard()
        for _ in range(16):
            if wait_until(lambda: focused(node), 0.3):
                break
            keys.tap(0xFF09)
        keys.tap(0x20)
        keys.stop()


def focused(node):
    return node.getState().contains(pyatspi.STATE_FOCUSED)


class Keyboard:
    """Keys through mutter's own remote desktop, a keyboard beside the user's."""

    def __init__(self):
        import dbus

        self.dbus = dbus
        bus = dbus.SessionBus()
        name = "org.gnome.Mutter.RemoteDesktop"
        path = bus.get_object(name, "/org/gnome/Mutter/RemoteDesktop").CreateSession(
            dbus_interface=name
        )
        self.session = dbus.Interface(bus.get_object(name, path), name + ".Session")
        self.session.Start()

    def tap(self, keysym):
        for pressed in (True, False):
            self.session.NotifyKeyboardKeysym(self.dbus.UInt32(keysym), pressed)

    def stop(self):
        self.session.Stop()


def checked(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_CHECKED) or states.contains(pyatspi.STATE_PRESSED)


def wait_until(done, seconds=2.0):
    deadline = time.monotonic() + seconds
    while not done():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.01)
    return True


def answer(path):
    try:
        with open(path) as f:
            return f.read().strip() or "share"
    except OSError:
        return "share"


def dialogs(desktop):
    for app in desktop:
        if app is not None and app.name in PORTALS:
            for frame in app:
                if frame is not None and find(frame, BUTTON, SHARE):
                    yield app.name, frame


def main():
    answer_file = sys.argv[1]
    desktop = pyatspi.Registry.getDesktop(0)
    answered = []  # frames pressed already, until they go
    while True:
        for portal, frame in dialogs(desktop):
            if any(frame == done for done in answered):
                continue
            if answer(answer_file) == "cancel":
                press(find(frame, BUTTON, CANCEL))
                print("cancelled", flush=True)
            else:
                # GNOME's switch may come a moment after the buttons, and takes a moment to
                # turn on: Share only once it reads on, or the session comes without the
                # pointer. KDE's dialog has none.
                allow = find_switch(frame)
                if allow is None and portal.endswith("gnome"):
                    continue
                if allow is not None and not checked(allow):
                    press(allow)
                    if not wait_until(lambda: checked(allow)):
                        continue
                press(find(frame, BUTTON, SHARE))
                print("shared", flush=True)
            answered.append(frame)
        time.sleep(0.02)


main()
