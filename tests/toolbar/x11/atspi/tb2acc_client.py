# An AT-SPI client for the accessibility check: finds the demonstration program on the bus,
# prints its menu bar, toolbar and, after opening the File menu through its default action,
# the popup menu; then runs "Open" through its default action. Prints one line per object:
# role, name, and the states, actions and key binding a screen reader would read.
import sys
import time

import pyatspi

APP = "tb2acc_demo"
STATES = {pyatspi.STATE_CHECKED: "checked", pyatspi.STATE_FOCUSED: "focused",
          pyatspi.STATE_FOCUSABLE: "focusable"}


def wait_for(what, probe, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    print("timed out waiting for " + what)
    sys.exit(1)


def find_app():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == APP:
            return app
    return None


def find_role(node, role):
    if node.getRoleName() == role:
        return node
    for i in range(node.childCount):
        found = find_role(node.getChildAtIndex(i), role)
        if found:
            return found
    return None


def describe(node, indent=""):
    states = node.getState()
    words = [node.getRoleName(), repr(node.name)]
    words += [word for state, word in STATES.items() if states.contains(state)]
    if not states.contains(pyatspi.STATE_ENABLED):
        words.append("disabled")
    try:
        action = node.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if names:
            words.append("actions=" + ",".join(names))
        if action.nActions and action.getKeyBinding(0):
            words.append("key=" + action.getKeyBinding(0))
    except NotImplementedError:
        pass
    print(indent + " ".join(words))


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def main():
    app = wait_for("the program on the bus", find_app)
    menubar = wait_for("the menu bar", lambda: find_role(app, "menu bar"))
    toolbar = find_role(app, "tool bar")
    for bar in (menubar, toolbar):
        describe(bar)
        for child in children(bar):
            describe(child, "  ")

    file_item = children(menubar)[0]
    file_item.queryAction().doAction(0)
    popup = wait_for("the File menu", lambda: file_item.childCount == 1 and file_item.getChildAtIndex(0))
    describe(file_item)
    describe(popup, "  ")
    for child in children(popup):
        describe(child, "    ")
    children(popup)[0].queryAction().doAction(0)
    wait_for("the menu to close", lambda: file_item.childCount == 0)
    print("closed")


main()
