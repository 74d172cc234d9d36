#!/usr/bin/env python3
"""Writes a big snap (xz, as snaps are built) and a big AppImage (zstd) of the
same tree for the pipeline benchmark: 100 MB of program files, 20,000 icons
across the hicolor sizes, a desktop entry, meta/gui/icon.png and a .DirIcon.

Usage: make_big_squashfs.py OUTDIR
"""
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fixtures"))
from fixture_images import png  # noqa: E402
from make_linux import elf_runtime  # noqa: E402


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main(out):
    rng = random.Random(7)
    letters = bytes(b"abcdefgh \n"[i % 10] for i in range(256))
    with tempfile.TemporaryDirectory() as tmp:
        tree = os.path.join(tmp, "tree")
        for i in range(50):  # half random, half text-like: compresses as programs do
            write(os.path.join(tree, "usr/lib/big/part%02d.so" % i),
                  rng.randbytes(1 << 20) + rng.randbytes(1 << 20).translate(letters))
        sizes = ["16x16", "22x22", "24x24", "32x32", "48x48", "64x64", "128x128", "256x256"]
        for i in range(20000):
            write(os.path.join(tree, "usr/share/icons/hicolor/%s/apps/app-%05d.png" % (sizes[i % len(sizes)], i)),
                  b"\x89PNG\r\n\x1a\n" + rng.randbytes(200))
        icon = png(256, (140, 0, 200))
        write(os.path.join(tree, "usr/share/icons/hicolor/256x256/apps/big.png"), icon)
        write(os.path.join(tree, "usr/share/applications/big.desktop"), b"[Desktop Entry]\nType=Application\nIcon=big\n")
        write(os.path.join(tree, "big.desktop"), b"[Desktop Entry]\nType=Application\nIcon=big\n")
        write(os.path.join(tree, "meta/gui/icon.png"), icon)
        write(os.path.join(tree, ".DirIcon"), icon)
        for name, comp in (("big.snap", "xz"), ("Big-x86_64.AppImage", "zstd")):
            image = os.path.join(tmp, name + ".sqfs")
            subprocess.run(["mksquashfs", tree, image, "-quiet", "-no-progress", "-noappend", "-all-root",
                            "-comp", comp], check=True, stdout=subprocess.DEVNULL)
            with open(image, "rb") as f:
                data = f.read()
            write(os.path.join(out, name), (elf_runtime() if name.endswith(".AppImage") else b"") + data)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
