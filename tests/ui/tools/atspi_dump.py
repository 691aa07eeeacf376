#!/usr/bin/env python3
"""Prints what assistive technology sees of one running application: one line per
accessible object, its role and its name separated by a tab. Usage: atspi_dump.py NAME"""
import sys

import pyatspi


def walk(accessible, out, depth=0):
    if accessible is None or depth > 40:
        return
    try:
        out.append("%s\t%s" % (accessible.getRoleName(), accessible.name))
        count = accessible.childCount
    except Exception:  # gone while we looked
        return
    for i in range(min(count, 5000)):
        try:
            child = accessible.getChildAtIndex(i)
        except Exception:
            continue
        walk(child, out, depth + 1)


def main():
    wanted = sys.argv[1]
    lines = []
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == wanted:
            walk(app, lines)
    sys.stdout.write("\n".join(lines) + ("\n" if lines else ""))


if __name__ == "__main__":
    main()
