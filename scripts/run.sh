#!/usr/bin/env bash
# Builds and starts the program under Wine on $DISPLAY. Without a display it
# starts a private Xvfb, waits for the window, saves build/screenshot.png and
# ends the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh
# The program writes its helper tools next to itself: give it a folder of its own.
mkdir -p build/run
cp build/win/Tessaroo.exe build/run/Tessaroo.exe
# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh
had_display=${DISPLAY:-}
wine_session_start
trap wine_session_stop EXIT
if [ -n "$had_display" ]; then
  wine build/run/Tessaroo.exe
else
  wine build/run/Tessaroo.exe &
  app=$!
  # Waits up to 30 s for the window to show.
  xdotool search --sync --onlyvisible --name 'Tessaroo' >/dev/null 2>&1 &
  waiter=$!
  for _ in $(seq 300); do kill -0 "$waiter" 2>/dev/null || break; sleep 0.1; done
  kill "$waiter" 2>/dev/null || true
  sleep 1
  xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > build/screenshot.png
  echo "No display: the program ran on a private Xvfb; its screenshot is in build/screenshot.png"
  kill "$app" 2>/dev/null || true
fi
