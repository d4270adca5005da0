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
SWITCH = (pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_TOGGLE_BUTTON)


def press(node):
    action = node.queryAction()
    action.doAction(0)


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
                allow = find(frame, SWITCH, ALLOW)
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
