#!/usr/bin/python3
"""What a screen reader sees of a running application, over AT-SPI.

    accessible_tree.py APP_NAME OUTPUT.json SECONDS

Waits up to SECONDS for an application named APP_NAME with a window on the
accessibility bus of the session bus in DBUS_SESSION_BUS_ADDRESS (asking for
that bus starts it, as a screen reader starting at login does), then writes
its tree as JSON: each object with its role, name, description, text (where
it has a text interface), place on the screen, relations (kind to
"role:name" of each target) and children.
"""
import json
import sys
import time

import pyatspi


def describe(acc):
    node = {
        "role": acc.getRoleName(),
        "name": acc.name,
        "description": acc.description,
        "relations": {},
        "children": [describe(child) for child in acc if child is not None],
    }
    try:
        node["text"] = acc.queryText().getText(0, -1)
    except NotImplementedError:
        pass
    try:
        box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        node["extents"] = [box.x, box.y, box.width, box.height]
    except NotImplementedError:
        pass
    for relation in acc.getRelationSet():
        targets = [relation.getTarget(i) for i in range(relation.getNTargets())]
        node["relations"].setdefault(relation.getRelationType().value_nick, []).extend(
            f"{t.getRoleName()}:{t.name}" for t in targets)
    return node


def find_app(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name and app.childCount > 0:
            return app
    return None


def main():
    name, output, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    deadline = time.monotonic() + seconds
    app = find_app(name)
    while app is None:
        if time.monotonic() > deadline:
            sys.exit(f"no application {name!r} with a window appeared on the accessibility bus")
        time.sleep(0.1)
        app = find_app(name)
    with open(output, "w", encoding="utf-8") as out:
        json.dump(describe(app), out, ensure_ascii=False, indent=1)


if __name__ == "__main__":
    main()
