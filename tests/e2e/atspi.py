#!/usr/bin/python3
"""Reads the running bar through the desktop's accessibility bus with pyatspi, the library that
screen readers are built on, and acts on it the way they do: the end-to-end group "a11y" of
e2e.sh runs it step by step.

Usage: atspi.py PID COMMAND [ARGS...]
  tree                    prints the program's tree: role, name, description, states, actions
  bar                     checks every control of the bar: its role, and a name and description
  press NAME [ROLE]       the "press" action of the control of that name (and role)
  rows                    opens the drop-down through its button; prints its rows' names,
                          then each row
  activate ROW            the "activate" action of that row of the drop-down
  settings                opens the settings dialog; checks its pages and check boxes
Ends 0 when the step held, else 1 with the reason on stderr.
"""
import sys
import time

import pyatspi

WAIT_SECONDS = 10


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, find):
    """Polls find() until it gives something; the program answers actions after the call."""
    deadline = time.monotonic() + WAIT_SECONDS
    while True:
        found = find()
        if found:
            return found
        if time.monotonic() > deadline:
            fail("not within %d s: %s" % (WAIT_SECONDS, what))
        time.sleep(0.05)


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def children(accessible):
    return [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]


def walk(accessible):
    yield accessible
    for child in children(accessible):
        yield from walk(child)


def states(accessible):
    return sorted(pyatspi.stateToString(s) for s in accessible.getState().getStates())


def actions(accessible):
    try:
        action = accessible.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def describe(accessible):
    text = "[%s] %r" % (accessible.getRoleName(), accessible.name)
    if accessible.description:
        text += " desc=%r" % accessible.description
    shown = [s for s in states(accessible) if s not in ("enabled", "sensitive", "visible")]
    if shown:
        text += " (" + ", ".join(shown) + ")"
    if actions(accessible):
        text += " actions=" + ",".join(actions(accessible))
    return text


def print_tree(accessible, depth=0):
    print("  " * depth + describe(accessible))
    for child in children(accessible):
        print_tree(child, depth + 1)


def gone(accessible):
    try:
        return "showing" not in states(accessible)
    except Exception:  # pylint: disable=broad-except
        return True  # no longer on the bus at all


def find(app, name, role=None):
    for accessible in walk(app):
        if accessible.name == name and (role is None or accessible.getRoleName() == role):
            return accessible
    return None


def do(accessible, action_name):
    action = accessible.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == action_name:
            if not action.doAction(i):
                fail("%s refused %s" % (describe(accessible), action_name))
            return
    fail("%s has no action %s" % (describe(accessible), action_name))


def bar(app):
    return wait_for("the bar's tool bar", lambda: next(
        (a for a in children(app) if a.getRoleName() == "tool bar"), None))


def check_bar(app):
    toolbar = bar(app)
    if toolbar.name != "Toolbar main window":
        fail("the tool bar is named %r" % toolbar.name)
    # Role, name and description of each control, in the order Tab walks them.
    expected = [
        ("text", "Type your query here", "Type your query here"),
        ("push button", "Search", "Click this button to search Nuvexa"),
        ("push button", "Checkers", "Click this button to play the game"),
        ("push button", "Chess", "Click this button to play the game"),
        ("push button", "Space Shooter", "Click this button to play the game"),
        ("push button", "Click here to view all games", "Click here to view all games"),
        ("push button", "Settings", "Click this button to open settings window"),
        ("push button", "Minimize to tray", "Minimize to tray"),
        ("push button", "Change size to mini", "Change size to mini"),
    ]
    got = [(c.getRoleName(), c.name, c.description) for c in children(toolbar)]
    if got != expected:
        fail("the bar's controls are\n  %s\nnot\n  %s" % (got, expected))
    for control in children(toolbar)[1:]:
        if "press" not in actions(control):
            fail("%s cannot be pressed" % describe(control))


def drop_down(app):
    button = find(bar(app), "Click here to view all games", "push button")
    if button is None:
        fail("no all-games button")
    if "expanded" not in states(button):
        do(button, "press")
        wait_for("the drop-down to open", lambda: "expanded" in states(button))
    lists = [c for c in children(button) if c.getRoleName() == "list"]
    if len(lists) != 1:
        fail("the all-games button holds %s" % [describe(c) for c in children(button)])
    return lists[0]


def rows(app):
    listed = drop_down(app)
    items = [c for c in children(listed) if c.getRoleName() == "list item"]
    print("%s: %s" % (describe(listed), ", ".join(item.name for item in items)))
    for item in items:
        print_tree(item, 1)
    for item in items:
        if "activate" not in actions(item):
            fail("%s cannot be activated" % describe(item))
    return items


def activate(app, name):
    items = rows(app)
    row = next((item for item in items if item.name == name), None)
    if row is None:
        fail("no row %r" % name)
    do(row, "activate")


def settings(app):
    do(find(bar(app), "Settings", "push button"), "press")
    dialog = wait_for("the settings dialog", lambda: next(
        (c for c in children(app)
         if c.getRoleName() == "dialog" and c.name == "Tivora Settings"), None))
    tabs = next((a for a in walk(dialog) if a.getRoleName() == "page tab list"), None)
    if tabs is None:
        fail("the settings dialog has no page tab list")
    pages = [c for c in children(tabs) if c.getRoleName() == "page tab"]
    if [p.name for p in pages] != ["Application", "Favorites", "My Info"]:
        fail("the pages are %s" % [describe(p) for p in pages])
    if "selected" not in states(pages[0]) or "selected" in states(pages[1]):
        fail("the first page is not the selected one: %s" % [describe(p) for p in pages])

    # A first start keeps the bar on top and starts it with the session.
    boxes = {a.name: a for a in walk(dialog) if a.getRoleName() == "check box"}
    for name in ("Always on top", "Launch at startup"):
        if name not in boxes or "checked" not in states(boxes[name]):
            fail("no checked box %r among %s" % (name, [describe(b) for b in boxes.values()]))
    # Pressed, a box follows its state.
    on_top = boxes["Always on top"]
    do(on_top, "press")
    wait_for("the box to be unchecked", lambda: "checked" not in states(on_top))

    # Another page, pressed, becomes the selected one and shows its lists by their headers.
    do(pages[1], "press")
    wait_for("the Favorites tab", lambda: "selected" in states(pages[1]))
    panel = find(tabs, "Favorites", "panel")
    wait_for("the Favorites page", lambda: panel is not None and "showing" in states(panel))
    lists = {a.name: a for a in walk(dialog) if a.getRoleName() == "list"}
    for name in ("Available Games", "Favorite Games"):
        if name not in lists:
            fail("no list %r among %s" % (name, [describe(l) for l in lists.values()]))
    favourites = [c.name for c in children(lists["Favorite Games"])
                  if c.getRoleName() == "list item"]
    if favourites != ["Checkers", "Chess", "Space Shooter"]:
        fail("the favourites list shows %s" % favourites)
    print_tree(dialog)
    do(find(dialog, "CANCEL", "push button"), "press")
    wait_for("the dialog to close", lambda: gone(dialog))


def main():
    if len(sys.argv) < 3:
        fail(__doc__)
    pid = int(sys.argv[1])
    command, args = sys.argv[2], sys.argv[3:]
    app = wait_for("the program on the accessibility bus", lambda: application(pid))
    if command == "tree":
        print_tree(app)
    elif command == "bar":
        check_bar(app)
    elif command == "press":
        control = find(app, args[0], args[1] if len(args) > 1 else None)
        if control is None:
            fail("nothing named %r" % args[0])
        do(control, "press")
    elif command == "rows":
        rows(app)
    elif command == "activate":
        activate(app, args[0])
    elif command == "settings":
        settings(app)
    else:
        fail(__doc__)


if __name__ == "__main__":
    main()
