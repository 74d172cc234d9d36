#!/usr/bin/env python3
"""An iOS package with 50,000 entries and three AppIcon PNGs, for the bench."""
import sys
import zipfile

sys.path.insert(0, sys.path[0] + "/../tests/fixtures")
from make_ipas import png  # noqa: E402

with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_STORED) as z:
    app = "Payload/Foo.app/"
    for i in range(50000):
        if i in (100, 20000, 40000):
            z.writestr(f"{app}AppIcon{i}.png", png(32 + i // 1000, (i % 256, 80, 160)))
        else:
            z.writestr(f"{app}Assets/f{i:05d}.dat", b"x" * 16)
