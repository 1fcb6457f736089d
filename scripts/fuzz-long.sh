#!/usr/bin/env bash
# Longer fuzz campaigns of every fuzz program (fuzz/run.sh lists them all and fails on a
# program it does not know), with SCALE (default 80) times the test command's run counts
# and time limits. Afterwards every input that found new coverage is kept: for each
# program the kept corpus fuzz/corpus/<target>/ and this campaign's new inputs are merged
# (libFuzzer's -merge=1: the smallest set with the same coverage) into a fresh kept
# corpus, which the next test-command pass starts from; commit it. Crashes land in
# build-fuzz/fuzz-crashes/; the merge is done even after one, so that no found input is
# lost, and the script then fails.
# Usage: scripts/fuzz-long.sh [SCALE]
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-80}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVEX_FUZZ=ON -DORVEX_TESTS=OFF -DORVEX_DESKTOP=OFF -DORVEX_BENCH=OFF
cmake --build build-fuzz -j "$(nproc)" --target fuzz_all
status=0
bash fuzz/run.sh build-fuzz "$scale" || status=$?

build=$(pwd)/build-fuzz
corpus=$(pwd)/fuzz/corpus
for program in "$build"/fuzz/fuzz_*; do
  t=$(basename "$program")
  work="$build/fuzz-work/$t"
  [ -d "$work" ] || continue
  fresh=$(mktemp -d "$build/fuzz-work/$t.merge.XXXXXX")
  mkdir -p "$corpus/$t"
  if "$program" -merge=1 -max_len=20000 -rss_limit_mb=2048 "$fresh" "$corpus/$t" "$work" \
       > "$build/fuzz-work/$t.merge.log" 2>&1; then
    rm -rf "$corpus/$t"
    mv "$fresh" "$corpus/$t"
    echo "corpus: $t keeps $(ls "$corpus/$t" | wc -l) inputs ($(du -sk "$corpus/$t" | cut -f1) KB)"
  else
    rm -rf "$fresh"
    echo "corpus: merging $t failed (see $build/fuzz-work/$t.merge.log); its kept corpus is unchanged"
    status=1
  fi
done
exit $status
