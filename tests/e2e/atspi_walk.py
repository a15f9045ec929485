#!/usr/bin/python3
# Walks the real program's window through AT-SPI, as a screen reader sees
# it: every control must have a name, the unlabelled ones their names and
# captions, and a question must come as an alert whose description is its
# text. Run inside a private session bus (dbus-run-session).
#   atspi_walk.py PROGRAM FILE
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

CONTROLS = {
    Atspi.Role.PUSH_BUTTON, Atspi.Role.RADIO_BUTTON, Atspi.Role.TEXT, Atspi.Role.ENTRY,
    Atspi.Role.TABLE, Atspi.Role.TREE_TABLE, Atspi.Role.PROGRESS_BAR, Atspi.Role.MENU_ITEM,
    Atspi.Role.CHECK_MENU_ITEM, Atspi.Role.MENU, Atspi.Role.LABEL,
}
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def wait_for(find, what, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
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


def application(pid):
    desktop = Atspi.get_desktop(0)
    for app in children(desktop):
        if app.get_process_id() == pid:
            return app
    return None


def main():
    program, path = sys.argv[1], sys.argv[2]
    process = subprocess.Popen([program, path])
    try:
        app = wait_for(lambda: application(process.pid), "the program on the accessibility bus")
        title = "Vandrel v1.0.0.0 (arm32) - Brassholt"
        window = wait_for(lambda: next((w for w in children(app) if w.get_name() == title), None),
                          "the main window")
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

        clear = next(n for n in by_role.get(Atspi.Role.PUSH_BUTTON, []) if n.get_name() == "Clear list")
        clear.do_action(0)
        alert = wait_for(lambda: next((w for w in children(app) if w.get_role() == Atspi.Role.ALERT), None),
                         "the question as an alert")
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
