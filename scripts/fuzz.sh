#!/usr/bin/env bash
# Fuzzes the executable and shortcut readers with libFuzzer for a while
# (default 300 s), merging what it finds into a small corpus in
# tests/fuzz/corpus, which `make test` replays. Not part of `make test`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-300}
bash scripts/setup.sh
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ]; then apt-get install -y -qq clang >/dev/null; else sudo apt-get install -y -qq clang >/dev/null; fi
fi
[ -f build/fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target exe_shortcut_fuzzer
work=build/fuzz/corpus-work; mkdir -p "$work"
build/fuzz/exe_shortcut_fuzzer -max_total_time="$seconds" -max_len=4096 "$work" tests/fuzz/corpus
# Keep the checked-in corpus small: only inputs that add coverage.
mkdir -p build/fuzz/merged
build/fuzz/exe_shortcut_fuzzer -merge=1 build/fuzz/merged tests/fuzz/corpus "$work" >/dev/null 2>&1
echo "fuzz: $(ls build/fuzz/merged | wc -l) inputs cover what the run found (build/fuzz/merged)"
