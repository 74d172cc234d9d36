#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, then the Windows
# test programs under Wine in a fresh prefix with a private X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
echo "== every include goes down the rooms, none in a circle"
python3 scripts/check_layers.py
bash scripts/build.sh

echo "== the program needs no DLL beside it"
allowed='^(KERNEL32|USER32|GDI32|SHELL32|OLE32|OLEAUT32|COMDLG32|COMCTL32|GDIPLUS|ADVAPI32|SHLWAPI|MSVCRT|UCRTBASE|API-MS-WIN-.*)\.DLL$'
for exe in build/win/Tessaroo.exe build/win/tessaroo-cli.exe; do
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print toupper($3)}')
  bad=$(echo "$imports" | grep -Ev "$allowed" || true)
  if [ -n "$bad" ]; then echo "$exe imports non-system DLLs: $bad" >&2; exit 1; fi
  echo "$exe imports: $(echo $imports)"
done

echo "== the release zip, whose notices cover every third-party artefact and static library"
python3 scripts/dist.py

echo "== native tests"
ctest --preset native -j"$(nproc)"

echo "== Windows tests under Wine"
# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh
trap wine_session_stop EXIT
wine_session_start fresh private
# Wine runs the programs in the Windows code page of the locale; the tests
# that care about text conversion set their own.
ctest --preset win
shot=build/win/artifacts/mainwindow.png
[ -f "$shot" ] && echo "screenshot of the main window: $shot"
