#!/usr/bin/env bash
# Longer fuzz campaigns of the engine loaders: the same programs as the test command,
# with SCALE (default 40) times its run counts and time limits. The corpus grows in
# build-fuzz/fuzz-work/ between campaigns; crashes land in build-fuzz/fuzz-crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-40}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVEX_FUZZ=ON -DORVEX_TESTS=OFF -DORVEX_DESKTOP=OFF
cmake --build build-fuzz -j "$(nproc)"
bash fuzz/run.sh build-fuzz "$scale"
