#!/usr/bin/env bash
# Runs one Windows test program under Wine with the screen at another DPI.
# Wine reads the DPI from the registry when a program starts, so both places
# it looks are set for this run and put back afterwards, whatever the outcome.
# Usage: scripts/at-dpi.sh DPI PROGRAM [ARGUMENT...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dpi=$1; shift
keys=('HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts')

# The LogPixels value under a key, as reg prints it (0x60), or nothing.
logpixels() { wine reg query "$1" /v LogPixels 2>/dev/null </dev/null | awk '$1 == "LogPixels" {print $3}' | tr -d '\r'; }
set_logpixels() { wine reg add "$1" /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1 </dev/null; }

saved=()
for key in "${keys[@]}"; do saved+=("$(logpixels "$key")"); done
restore() {
  for i in "${!keys[@]}"; do
    if [ -n "${saved[$i]}" ]; then set_logpixels "${keys[$i]}" "$((saved[$i]))"
    else wine reg delete "${keys[$i]}" /v LogPixels /f >/dev/null 2>&1 </dev/null; fi
  done
}
trap restore EXIT
for key in "${keys[@]}"; do set_logpixels "$key" "$dpi" || { echo "at-dpi: cannot set LogPixels under $key" >&2; exit 1; }; done
"$here/wine-test.sh" "$@"
rc=$?
restore
trap - EXIT
exit $rc
