#!/usr/bin/python3
# Answers the GNOME portal's screen-sharing and remote-desktop dialogs as they appear, through
# AT-SPI, as a user would with the mouse: "Allow remote interaction" switched on and Share
# pressed, or Cancel pressed. The answer for each dialog is read, when it appears, from the
# file named on the command line ("share" or "cancel"; share when it is missing). One line per
# answered dialog goes to standard output: "shared" or "cancelled".
# Run with Debian's python3 (python3-pyatspi), on the session bus whose at-spi-bus-launcher
# the dialog's process reaches.
import sys
import time

import pyatspi

PORTAL = "xdg-desktop-portal-gnome"
SHARE = "_Share Share"
CANCEL = "_Cancel Cancel"
ALLOW = "Allow remote interaction"


def find(node, role, name):
    if node is None:
        return None
    try:
        if node.getRole() == role and node.name == name:
            return node
        for child in node:
            found = find(child, role, name)
            if found is not None:
                return found
    except Exception:  # a dialog going away under the walk
        pass
    return None


def press(node):
    action = node.queryAction()
    action.doAction(0)


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


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
        if app is not None and app.name == PORTAL:
            for frame in app:
                if frame is not None and find(frame, pyatspi.ROLE_PUSH_BUTTON, SHARE):
                    yield frame


def main():
    answer_file = sys.argv[1]
    desktop = pyatspi.Registry.getDesktop(0)
    answered = []  # frames pressed already, until they go
    while True:
        for frame in dialogs(desktop):
            if any(frame == done for done in answered):
                continue
            if answer(answer_file) == "cancel":
                press(find(frame, pyatspi.ROLE_PUSH_BUTTON, CANCEL))
                print("cancelled", flush=True)
            else:
                # The switch may come a moment after the buttons, and takes a moment to turn
                # on: Share only once it reads on, or the session comes without the pointer.
                allow = find(frame, pyatspi.ROLE_CHECK_BOX, ALLOW)
                if allow is None:
                    continue
                if not checked(allow):
                    press(allow)
                    if not wait_until(lambda: checked(allow)):
                        continue
                press(find(frame, pyatspi.ROLE_PUSH_BUTTON, SHARE))
                print("shared", flush=True)
            answered.append(frame)
        time.sleep(0.02)


main()
