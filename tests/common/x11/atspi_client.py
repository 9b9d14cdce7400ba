# An AT-SPI client for the accessibility checks: finds a program on the bus by name, prints its
# menu bar and first tool bar, opens the first menu through its default action and prints the
# popup menu; then runs the popup's first item through its default action (--run-first) or
# closes the menu through the menu item's own action. Prints one line per object: role, name,
# and the states, actions and key binding a screen reader would read.
#   atspi_client.py <program name> [--run-first]
import sys
import time

import pyatspi

STATES = {pyatspi.STATE_CHECKED: "checked", pyatspi.STATE_FOCUSED: "focused",
          pyatspi.STATE_FOCUSABLE: "focusable"}


def wait_for(what, probe, seconds=30):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    print("timed out waiting for " + what)
    sys.exit(1)


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def find_app(name):
    return next((app for app in children(pyatspi.Registry.getDesktop(0)) if app is not None and app.name == name),
                None)


def find_role(node, role):
    if node.getRoleName() == role:
        return node
    return next((found for child in children(node) for found in [find_role(child, role)] if found), None)


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


def main():
    name = sys.argv[1]
    run_first = "--run-first" in sys.argv[2:]
    app = wait_for("the program on the bus", lambda: find_app(name))
    menubar = wait_for("the menu bar", lambda: find_role(app, "menu bar"))
    toolbar = wait_for("the tool bar", lambda: find_role(app, "tool bar"))
    for bar in (menubar, toolbar):
        describe(bar)
        for child in children(bar):
            describe(child, "  ")

    menu_item = children(menubar)[0]
    menu_item.queryAction().doAction(0)
    popup = wait_for("the first menu", lambda: menu_item.childCount == 1 and menu_item.getChildAtIndex(0))
    describe(menu_item)
    describe(popup, "  ")
    for child in children(popup):
        describe(child, "    ")
    (children(popup)[0] if run_first else menu_item).queryAction().doAction(0)
    wait_for("the menu to close", lambda: menu_item.childCount == 0)
    print("closed")


main()
