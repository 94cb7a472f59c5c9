#!/usr/bin/python3
"""What a screen reader sees of a running application, over AT-SPI.

    accessible_tree.py APP_NAME OUTPUT.json SECONDS

Waits up to SECONDS for an application named APP_NAME with a window on the
accessibility bus of the session bus in DBUS_SESSION_BUS_ADDRESS (asking for
that bus starts it, as a screen reader starting at login does), then writes
its objects as a JSON list, parents first: each with its role, name,
description, parent ("role:name", the role as AT-SPI's enumeration
names it: "push-button"), text (where it has a text interface),
centre on the screen and relations ("kind role:name" for each target).
"""
import contextlib
import json
import sys
import time

import pyatspi
from gi.repository import Atspi


def role(acc):
    # By the role's value, in at-spi2-core 2.46's words: 2.56 renamed the push
    # button "button" (name and enumeration alike), the same role to a
    # screen reader.
    value = acc.getRole()
    return "push-button" if value == Atspi.Role.PUSH_BUTTON else value.value_nick


def describe(acc, parent, into):
    node = {"role": role(acc), "name": acc.name, "description": acc.description, "parent": parent,
            "relations": []}
    with contextlib.suppress(NotImplementedError):
        node["text"] = acc.queryText().getText(0, -1)
    with contextlib.suppress(NotImplementedError):
        box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        node["centre"] = [box.x + box.width // 2, box.y + box.height // 2]
    for relation in acc.getRelationSet():
        kind = relation.getRelationType().value_nick
        node["relations"] += [f"{kind} {role(t)}:{t.name}"
                              for t in map(relation.getTarget, range(relation.getNTargets()))]
    into.append(node)
    for child in acc:
        if child is not None:
            describe(child, f"{node['role']}:{node['name']}", into)
    return into


def main():
    name, output, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    deadline = time.monotonic() + seconds
    while (app := next((a for a in pyatspi.Registry.getDesktop(0)
                        if a is not None and a.name == name and a.childCount > 0), None)) is None:
        if time.monotonic() > deadline:
            sys.exit(f"no application {name!r} with a window appeared on the accessibility bus")
        time.sleep(0.1)
    with open(output, "w", encoding="utf-8") as out:
        json.dump(describe(app, "", []), out, ensure_ascii=False, indent=1)


if __name__ == "__main__":
    main()
