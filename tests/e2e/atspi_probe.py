#!/usr/bin/python3
"""Reads the running program's window state through the accessibility bus
(AT-SPI), for end-to-end tests that must see what a user sees.

  atspi_probe.py dialog PID     the label texts of the open message dialog
  atspi_probe.py selected PID   column 0 of every selected results-list row
  atspi_probe.py progress PID   the progress bar's values, sampled until a
                                message dialog opens (at most a minute)

and a file manager's, for the package's context-menu entries:

  atspi_probe.py select PID NAME  selects the item NAME in the folder view
  atspi_probe.py menu PID         the entries of the open context menu and
                                  its submenus (none: it is closed)
  atspi_probe.py choose PID TEXT  activates the one entry ending in TEXT

One item per line. Exits 1 when the program has no such window or item."""
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


def select_item(pid, name):
    items = [n for w in windows(pid) for n in walk(w) if n.get_name() == name and
             n.get_role() in (Atspi.Role.ICON, Atspi.Role.TABLE_CELL)]
    # A list view's name cell sits in its row's cell; a table selects rows.
    child, view = (items[0], items[0].get_parent()) if items else (None, None)
    while view is not None and "Selection" not in view.get_interfaces():
        child, view = view, view.get_parent()
    if view is None:
        return None
    Atspi.Selection.clear_selection(view)
    index = child.get_index_in_parent()
    if "Table" in view.get_interfaces():
        done = Atspi.Table.add_row_selection(view, Atspi.Table.get_row_at_index(view, index))
    else:
        done = Atspi.Selection.select_child(view, index)
    return [name] if done else None


def menu_entries(pid):
    return [n for w in windows(pid)
            if w.get_role() == Atspi.Role.WINDOW and w.get_state_set().contains(Atspi.StateType.SHOWING)
            for n in walk(w) if n.get_role() in (Atspi.Role.MENU_ITEM, Atspi.Role.MENU)
            and n.get_name() and n.get_state_set().contains(Atspi.StateType.VISIBLE)]


def choose_entry(pid, text):
    entries = [n for n in menu_entries(pid)
               if n.get_role() == Atspi.Role.MENU_ITEM and n.get_name().endswith(text)]
    if len(entries) != 1:
        return None
    name = entries[0].get_name()
    # GTK 2 acts at once, closing the menu, and answers false.
    entries[0].do_action(0)
    return [name]


def main():
    command, pid = sys.argv[1], int(sys.argv[2])
    probes = {"dialog": dialog_labels, "selected": selected_names, "progress": progress_values,
              "menu": lambda pid: [n.get_name() for n in menu_entries(pid)],
              "select": lambda pid: select_item(pid, sys.argv[3]),
              "choose": lambda pid: choose_entry(pid, sys.argv[3])}
    items = probes[command](pid)
    if items is None:
        return 1
    print("\n".join(items))
    return 0


sys.exit(main())
