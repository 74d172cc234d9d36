#!/usr/bin/env bash
# Fuzzes the parsers with libFuzzer (clang, ASan, UBSan; the "fuzz" preset),
# one target after the other, each for SECONDS (default 300):
#   bash scripts/fuzz.sh [SECONDS [TARGET...]]
# Targets: the sources in tests/fuzz (see TARGETS below). Inputs may be as
# large as 1 MiB and each must finish within 2 s, so slowness in large inputs
# is found as well as crashes. Each target starts from its committed seeds
# (tests/fuzz/seeds), its corpus (tests/fuzz/corpus) and full-size seeds made
# by tests/fuzz/make_seeds.py --full; afterwards the corpus is minimised
# again, so it holds only inputs (cut to 16 KiB) that add coverage beyond
# the seeds.
# Crashes and timeouts land in build/fuzz/artifacts/TARGET; the run goes on
# and lists them at the end. `make test` replays seeds and corpus of every
# target; a reproducer alone: build/native/fuzz_replay_TARGET FILE.
# Not part of `make test`. One fuzzing process at a time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
TARGETS=(exe_shortcut cgbi ico_decode png_decode image_probe apk_listing ipa_listing appx bundle android_drawable resource_values path_data drawable msi linux svg mac_web zip_directory xpm gzip jpeg2000 package_pass squashfs)
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${TARGETS[@]}")
for t in "${targets[@]}"; do
  [[ " ${TARGETS[*]} " == *" $t "* ]] || { echo "fuzz: no target $t (targets: ${TARGETS[*]})" >&2; exit 2; }
done

bash scripts/setup.sh
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ]; then apt-get install -y -qq clang >/dev/null; else sudo apt-get install -y -qq clang >/dev/null; fi
fi
[ -f build/fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target "${targets[@]/%/_fuzzer}"

big=build/fuzz/seeds
rm -rf "$big"
python3 tests/fuzz/make_seeds.py "$big" --full

limits=(-max_len=1048576 -timeout=2 -rss_limit_mb=2048)
for t in "${targets[@]}"; do
  fuzzer=build/fuzz/${t}_fuzzer
  corpus=tests/fuzz/corpus/$t seeds=tests/fuzz/seeds/$t
  work=build/fuzz/work/$t artifacts=build/fuzz/artifacts/$t
  mkdir -p "$corpus" "$work" "$artifacts"
  echo "== $t: fuzzing for $seconds s"
  # One worker that goes on after a crash or timeout, so a single finding
  # does not end the run; each finding is written to $artifacts.
  "$fuzzer" "${limits[@]}" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -artifact_prefix="$artifacts/" \
    "$work" "$corpus" "$seeds" "$big/$t" >"build/fuzz/$t.log" 2>&1 || true
  tail -n 3 "build/fuzz/$t.log"

  # Minimise: the seeds go in first, so only inputs that cover more than
  # they do are kept; then the seeds are taken out again.
  merged=build/fuzz/merged/$t
  rm -rf "$merged"; mkdir -p "$merged"
  cp "$seeds"/* "$merged"/
  for f in "$big/$t"/*; do cp "$f" "$merged/full-$(basename "$f")"; done
  # Kept inputs are cut to 16 KiB: the corpus is committed, and the
  # full-size shapes come back from make_seeds.py on every run.
  if ! "$fuzzer" -max_len=16384 -timeout=2 -rss_limit_mb=2048 -merge=1 -artifact_prefix="$artifacts/" \
    "$merged" "$corpus" "$work" >"build/fuzz/$t.merge.log" 2>&1; then
    echo "$t: merge failed (build/fuzz/$t.merge.log); corpus left as it was"
    continue
  fi
  rm -f "$merged"/full-*
  for f in "$seeds"/*; do rm -f "$merged/$(basename "$f")"; done
  rm -rf "$corpus"; mkdir -p "$corpus"
  cp "$merged"/* "$corpus"/ 2>/dev/null || true
  echo "$t: corpus now $(ls "$corpus" | wc -l) inputs, $(du -cb "$corpus"/* 2>/dev/null | tail -1 | cut -f1) bytes"
done

found=$(find build/fuzz/artifacts -type f \( -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \) | sort)
if [ -n "$found" ]; then
  echo "fuzz: findings (replay one with build/native/fuzz_replay_TARGET FILE):"
  echo "$found"
  exit 1
fi
echo "fuzz: no findings"
