#!/usr/bin/python3
# Walks the real program's window through AT-SPI, as a screen reader sees
# it: every control must have a name, the unlabelled ones their names and
# captions, each row's state image a description of the state, and a
# question must come as an alert whose description is its text. Like a
# screen reader, it keeps the descriptions it read and relies on the
# program's change events to say when they went stale. Run inside a private
# session bus (dbus-run-session).
#   atspi_walk.py PROGRAM FILE DOOMED-FILE
# DOOMED-FILE is removed after the program lists it, so that its row fails.
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

CONTROLS = {
    Atspi.Role.PUSH_BUTTON, Atspi.Role.RADIO_BUTTON, Atspi.Role.TEXT, Atspi.Role.ENTRY,
    Atspi.Role.TABLE, Atspi.Role.TREE_TABLE, Atspi.Role.PROGRESS_BAR, Atspi.Role.MENU_ITEM,
    Atspi.Role.CHECK_MENU_ITEM, Atspi.Role.MENU, Atspi.Role.LABEL,
}
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def take_events():
    """Lets the change events that have arrived update what is cached."""
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(find, what, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        take_events()
        found = find()
        if found is not None:
            return found
        time.sleep(0.1)
    sys.exit(f"FAIL: timed out waiting for {what}")


def children(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield child


def walk(node, into_tables=False):
    yield node
    if node.get_role() in (Atspi.Role.TABLE, Atspi.Role.TREE_TABLE) and not into_tables:
        return  # rows are data, not controls
    for child in children(node):
        yield from walk(child, into_tables)


def labelled_by(node):
    names = []
    for relation in node.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            names += [relation.get_target(i).get_name() for i in range(relation.get_n_targets())]
    return names


def group_of(node):
    for relation in node.get_relation_set():
        if relation.get_relation_type() == Atspi.RelationType.MEMBER_OF:
            return sorted(relation.get_target(i).get_name() for i in range(relation.get_n_targets()))
    return []


def state_descriptions(table):
    """The description of each row's state image, as a screen reader reads
    it: column 0 packs the image and the path, the image first."""
    take_events()
    described = []
    for row in range(Atspi.Table.get_n_rows(table)):
        cell = Atspi.Table.get_accessible_at(table, row, 0)
        images = [c for c in children(cell) if "Image" in c.get_interfaces()]
        if len(images) != 1:
            described.append(f"{len(images)} images")
            continue
        texts = {images[0].get_description(), Atspi.Image.get_image_description(images[0])}
        described.append(texts.pop() if len(texts) == 1 else f"mixed {sorted(texts)}")
    return described


def enabled(node):
    return node.get_state_set().contains(Atspi.StateType.ENABLED)


def alert_of(app):
    return next((w for w in children(app) if w.get_role() == Atspi.Role.ALERT), None)


def application(pid):
    desktop = Atspi.get_desktop(0)
    for app in children(desktop):
        if app.get_process_id() == pid:
            return app
    return None


def main():
    program, path, doomed = sys.argv[1], sys.argv[2], sys.argv[3]
    process = subprocess.Popen([program, path, doomed])
    try:
        app = wait_for(lambda: application(process.pid), "the program on the accessibility bus")
        title = "Vandrel v1.0.0.0 (arm32) - Brassholt"
        window = wait_for(lambda: next((w for w in children(app) if w.get_name() == title), None),
                          "the main window")
        # The program sends only the change events someone listens to. One
        # registered before the window was up stalled the calls above until
        # D-Bus timed them out, so the walk starts listening here.
        listener = Atspi.EventListener.new(lambda event: None)
        listener.register("object:property-change")
        Atspi.Accessible.set_cache_mask(app, Atspi.Cache.DESCRIPTION)
        time.sleep(0.5)
        controls = [n for n in walk(window) if n.get_role() in CONTROLS]
        for node in controls:
            print(f"{node.get_role_name()}: {node.get_name()!r}")
            check(node.get_name(), f"a {node.get_role_name()} without a name")
        by_role = {}
        for node in controls:
            by_role.setdefault(node.get_role(), []).append(node)

        entries = by_role.get(Atspi.Role.TEXT, []) + by_role.get(Atspi.Role.ENTRY, [])
        check(any(n.get_name() == "Source" and "Source" in labelled_by(n) for n in entries),
              "the source field is not named and labelled by its caption")
        tables = by_role.get(Atspi.Role.TABLE, []) + by_role.get(Atspi.Role.TREE_TABLE, [])
        check([n.get_name() for n in tables] == ["Results"], "the results list is not named Results")
        bars = by_role.get(Atspi.Role.PROGRESS_BAR, [])
        check(len(bars) == 1 and bars[0].get_name() == "Progress", "the progress bar is not named")
        check(bars and "Value" in bars[0].get_interfaces(), "the progress value is not readable")
        radios = by_role.get(Atspi.Role.RADIO_BUTTON, [])
        captions = {n.get_name(): labelled_by(n) for n in radios}
        check(len(radios) == 9, f"expected nine options, found {len(radios)}")
        for name in ("CRC32", "MD5", "SHA1", "SHA2", "SHA3"):
            check(captions.get(name) == ["Algorithm:"], f"option {name} is labelled by {captions.get(name)}")
        for name in ("224", "256", "384", "512"):
            check(captions.get(name) == ["Bit length:"], f"option {name} is labelled by {captions.get(name)}")
        groups = {n.get_name(): group_of(n) for n in radios}
        check(groups.get("SHA2") == ["CRC32", "MD5", "SHA1", "SHA2", "SHA3"],
              f"the algorithm options form the group {groups.get('SHA2')}")
        check(groups.get("384") == ["224", "256", "384", "512"],
              f"the size options form the group {groups.get('384')}")

        buttons = {n.get_name(): n for n in by_role.get(Atspi.Role.PUSH_BUTTON, [])}
        if tables:
            states = state_descriptions(tables[0])
            check(states == ["Queued", "Queued"], f"rows before Calculate are described as {states}")
            os.remove(doomed)
            buttons["Calculate"].do_action(0)
            summary = wait_for(lambda: alert_of(app), "the summary after Calculate")
            states = state_descriptions(tables[0])
            check(states == ["Computed", "Failed"], f"rows after Calculate are described as {states}")
            ok = next(n for n in walk(summary) if n.get_role() == Atspi.Role.PUSH_BUTTON)
            ok.do_action(0)
            # The main window takes input again only after the summary is gone.
            wait_for(lambda: True if enabled(buttons["Clear list"]) else None,
                     "the main window to take input after the summary")

        buttons["Clear list"].do_action(0)
        alert = wait_for(lambda: alert_of(app), "the question as an alert")
        check(alert.get_description().startswith("Clear the list?"),
              f"the alert's description is {alert.get_description()!r}")
    finally:
        process.kill()
        process.wait()
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
