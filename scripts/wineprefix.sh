#!/usr/bin/env bash
# Creates a fresh Wine prefix at $1 (default build/wineprefix) set up for our
# tests and for `make run`:
#  - Wine draws its own frame and caption (there is no window manager on Xvfb);
#  - Wine's fonts and a CJK font are available, SimSun maps to WenQuanYi;
#  - Mono and Gecko are not offered (no network, no dialogs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-$root/build/wineprefix}
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"; mkdir -p "$(dirname "$prefix")"
# wineboot needs a display only for its dialogs, which the overrides suppress.
DISPLAY= wineboot -i >/dev/null 2>&1
wineserver -w
fonts=$prefix/drive_c/windows/Fonts
mkdir -p "$fonts"
cp /usr/share/wine/fonts/* "$fonts"/ 2>/dev/null || true
cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$fonts"/ 2>/dev/null || true
reg=$(mktemp --suffix=.reg)
cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
wine regedit "$reg" >/dev/null 2>&1
wineserver -w
rm -f "$reg"
echo "wineprefix: ready at $prefix"
