#!/usr/bin/env python3
"""Fails when source files include each other in a circle, inside a folder too. A header and
the source file of the same name are one unit: a.cpp including b.h, whose b.cpp includes a.h,
is a circle."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
edges = {}
for folder, _, files in os.walk(root):
    for name in files:
        if not name.endswith((".h", ".cpp")):
            continue
        path = os.path.join(folder, name)
        unit = os.path.splitext(os.path.relpath(path, root))[0]
        with open(path, encoding="utf-8", errors="replace") as source:
            for target in include.findall(source.read()):
                other = os.path.splitext(target)[0]
                if other != unit and os.path.exists(os.path.join(root, target)):
                    edges.setdefault(unit, set()).add(other)

# Depth-first search; a unit met again while still on the path closes a circle.
state, path, circles = {}, [], []


def visit(unit):
    state[unit] = "open"
    path.append(unit)
    for other in sorted(edges.get(unit, ())):
        if state.get(other) == "open":
            circles.append(path[path.index(other):] + [other])
        elif other not in state:
            visit(other)
    path.pop()
    state[unit] = "done"


sys.setrecursionlimit(10000)
for unit in sorted(edges):
    if unit not in state:
        visit(unit)
for circle in circles:
    print("include circle: " + " -> ".join(circle))
sys.exit(1 if circles else 0)
