#!/usr/bin/env python3
"""Writes the X11 colour names as a C++ table for the XPM reader, at build
time, from the system's rgb.txt (Debian package x11-common; its licence is
recorded in the release notices, scripts/dist.py). The file itself is never
committed.

Names are folded as X folds them when it looks a colour up: spaces left out,
letters in lower case, so "light grey" and "LightGrey" are one row. Rows are
sorted by folded name for a binary search.

Usage: make_x11_colours.py RGB_TXT OUTPUT
"""
import sys


def read_colours(path):
    colours = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            fields = line.split()
            if len(fields) < 4 or line.startswith("!"):
                continue
            name = "".join(fields[3:]).lower()
            rgb = tuple(int(v) for v in fields[:3])
            if colours.setdefault(name, rgb) != rgb:
                sys.exit("%s: %s has two values" % (path, name))
    return colours


def main(source, output):
    colours = read_colours(source)
    if len(colours) < 500:
        sys.exit("%s: only %d colour names; is it the X11 rgb.txt?" % (source, len(colours)))
    lines = ["// Generated at build time by scripts/make_x11_colours.py from %s" % source,
             "// (Debian package x11-common, X11 licence). Do not edit.",
             "{"]
    lines += ['  {"%s", %d, %d, %d},' % ((name,) + colours[name]) for name in sorted(colours)]
    lines.append("}")
    with open(output, "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
