#!/usr/bin/env python3
"""Reads every #include "room/File.h" of the product and fails when a file
includes a room that is not below its own, or when includes go in a circle.
A header and its source count as one module (File.h with File.cpp), so two
modules whose sources include each other's headers are a circle too.

The rooms, each above the ones it may include (and what those may include):
  app > android, ios, windows, linux, macos, web, pictures, output
  android, linux, web, pictures > draw
  android, ios, windows, linux, macos, web, pictures, draw > tools
  output > tools
  tools > image > support
Usage: check_layers.py [ROOT]   (ROOT: the source tree, the repository by default)
"""
import os
import re
import sys

BELOW = {
    "app": {"android", "ios", "windows", "linux", "macos", "web", "pictures", "output"},
    "android": {"draw", "tools"},
    "ios": {"tools"},
    "windows": {"tools"},
    "linux": {"draw", "tools"},
    "macos": {"tools"},
    "web": {"draw", "tools"},
    "pictures": {"draw", "tools"},
    "draw": {"tools"},
    "output": {"tools"},
    "tools": {"image"},
    "image": {"support"},
    "support": set(),
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def reachable(room):
    """Every room below room, however far down."""
    seen, todo = set(), list(BELOW[room])
    while todo:
        r = todo.pop()
        if r not in seen:
            seen.add(r)
            todo.extend(BELOW[r])
    return seen


def product_files(root):
    for room in BELOW:
        folder = os.path.join(root, room)
        for dirpath, _, names in os.walk(folder):
            for name in sorted(names):
                if name.endswith((".h", ".cpp", ".in")):
                    path = os.path.join(dirpath, name)
                    yield os.path.relpath(path, root).replace(os.sep, "/")


def find_cycle(graph):
    """One circle of includes as a list of files, or None."""
    state = {}
    for start in sorted(graph):
        if start in state:
            continue
        stack = [(start, iter(sorted(graph.get(start, ()))))]
        path = [start]
        state[start] = 1
        while stack:
            node, children = stack[-1]
            child = next(children, None)
            if child is None:
                state[node] = 2
                stack.pop()
                path.pop()
            elif state.get(child) == 1:
                return path[path.index(child):] + [child]
            elif child not in state and child in graph:
                state[child] = 1
                stack.append((child, iter(sorted(graph.get(child, ())))))
                path.append(child)
    return None


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    problems = []
    graph = {}
    for path in product_files(root):
        room = path.split("/")[0]
        with open(os.path.join(root, path), encoding="utf-8") as f:
            text = f.read()
        module = os.path.splitext(path)[0]
        graph.setdefault(module, set())
        allowed = reachable(room) | {room}
        for target in INCLUDE.findall(text):
            target_room = target.split("/")[0]
            if target_room not in BELOW:
                continue  # a generated or third-party header
            if os.path.splitext(target)[0] != module:
                graph[module].add(os.path.splitext(target)[0])
            if target_room not in allowed:
                problems.append(f"{path}: includes {target} ({target_room}/ is not below {room}/)")
    cycle = find_cycle(graph)
    if cycle:
        problems.append("includes in a circle: " + " -> ".join(cycle))
    for p in problems:
        print(p, file=sys.stderr)
    if problems:
        sys.exit(1)
    print(f"layering: {len(graph)} modules, every include goes down, no circle")


if __name__ == "__main__":
    main()
