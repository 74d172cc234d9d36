#!/usr/bin/env python3
"""A large executable for the bench: 400 icon images of 96 KB (about 38 MB)
in 100 groups, built with windres like the test fixtures."""
import os
import sys

sys.path.insert(0, sys.path[0] + "/../tests/fixtures")
import make_exes  # noqa: E402

out = sys.argv[1]
images = {i: make_exes.dib(156, (i % 256, 90, 200)) for i in range(1, 401)}
groups = [(g, [(156 % 256, 156 % 256, 32, 4 * (g - 1) + k, 0) for k in range(1, 5)]) for g in range(1, 101)]
# Group 1 comes first; its four entries tie, so the last (image 4) is picked.
make_exes.build(os.path.dirname(out), os.path.basename(out)[:-4], groups, images, expect=(1, 4))
