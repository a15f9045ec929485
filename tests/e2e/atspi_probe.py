#!/usr/bin/python3
"""Reads the running program's window state through the accessibility bus
(AT-SPI), for end-to-end tests that must see what a user sees.

  atspi_probe.py dialog PID     the label texts of the open message dialog
  atspi_probe.py selected PID   column 0 of every selected results-list row
  atspi_probe.py progress PID   the progress bar's values, sampled until a
                                message dialog opens (at most a minute)

One item per line. Exits 1 when the program has no such window."""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def windows(pid):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is None or app.get_process_id() != pid:
            continue
        for j in range(app.get_child_count()):
            window = app.get_child_at_index(j)
            if window is not None:
                yield window


def walk(node):
    if node is None:
        return
    yield node
    for i in range(node.get_child_count()):
        yield from walk(node.get_child_at_index(i))


def dialog_labels(pid):
    for window in windows(pid):
        if window.get_name() == "Message":
            return [n.get_name() for n in walk(window) if n.get_role() == Atspi.Role.LABEL]
    return None


def results_table(pid):
    for window in windows(pid):
        if window.get_name() == "Message":
            continue
        for node in walk(window):
            if node.get_role() in (Atspi.Role.TABLE, Atspi.Role.TREE_TABLE):
                return node.get_table_iface() if hasattr(node, "get_table_iface") else node
    return None


def path_of(table, row):
    # A column that packs an icon and a text keeps the text in a child.
    texts = [c.get_name() for c in walk(Atspi.Table.get_accessible_at(table, row, 0))
             if c.get_name()]
    return texts[0] if texts else ""


def selected_names(pid):
    table = results_table(pid)
    if table is None:
        return None
    return [path_of(table, row) for row in Atspi.Table.get_selected_rows(table)]


def progress_values(pid):
    bar = None
    for window in windows(pid):
        for node in walk(window):
            if node.get_role() == Atspi.Role.PROGRESS_BAR:
                bar = node
    if bar is None:
        return None
    values = []
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline and dialog_labels(pid) is None:
        value = Atspi.Value.get_current_value(bar)
        if not values or value != values[-1]:
            values.append(value)
        time.sleep(0.02)
    return ["%.4f" % v for v in values]


def main():
    command, pid = sys.argv[1], int(sys.argv[2])
    probes = {"dialog": dialog_labels, "selected": selected_names, "progress": progress_values}
    items = probes[command](pid)
    if items is None:
        return 1
    print("\n".join(items))
    return 0


sys.exit(main())
