#!/usr/bin/env bash
# Builds both trees: build/native (portable core and its tests) and build/win
# (the Windows programs). Installs and prepares what is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/thirdparty.sh
for preset in native win; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
