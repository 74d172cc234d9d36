#!/usr/bin/env bash
# Runs one Windows test program under Wine for CTest (the cross-compiling
# emulator). Its output goes through a file: Wine forks every child process
# from its parent, so a process that outlives the test program (a service
# Wine starts on demand, say) would keep CTest's pipe open, and CTest would
# wait for it until its time-out.
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
