#!/usr/bin/env bash
# Builds everything and runs every test: once as a normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then the loaders are fuzzed for a
# bounded number of runs and the threaded tests run under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
# Three times as many tests as cores: most of them wait (on threads, sleeps, the
# rasteriser, programs they start) more than they compute (on two cores the whole run took
# 181 s so against 208 s with twice as many).
ctest --test-dir build -j $((3 * jobs))
# The unattended run of the real program over the shipped missions (two cores).
taskset -c 0,1 bash scripts/autoplay.sh --ci -j 2

# The benchmarks are timed in release builds only (bench/run.sh): none in this one.
# The code under test at -O1, as AddressSanitizer advises (its tests run a fifth faster than
# at -O0), with line tables only (-g1: reports keep their files and lines, the objects and
# the links of some 260 test programs are a fraction of full debug information's).
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON -DORVEX_BENCH=OFF \
  "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1"
cmake --build build-asan -j "$jobs"
# llvmpipe draws on each test's own thread (LP_NUM_THREADS=0): on two cores its threads
# only add switching. Two tests per core: the sanitizer build's tests wait on threads,
# sleeps and the programs they start as the normal build's do (on two cores the stage took
# 307 s so against 420 s with one per core).
# LeakSanitizer's tracer used to crash at exit now and then after a test had passed
# ("Tracer caught signal 11"): platform/sanitizer_runtime.cpp turns off what misled it.
# Tests that fail here still run once more, one at a time, and pass when they pass again;
# such a tool crash is forgiven by one more run without the leak check. A reported leak or
# any other failure fails the run.
# LP_PERF is given as the renderer sets it (gfx/driver-preload.h), so that test processes
# run with the program's environment.
export LP_PERF=${LP_PERF:-no_rast_linear}
if ! LP_NUM_THREADS=0 ctest --test-dir build-asan -j $((2 * jobs)); then
  LP_NUM_THREADS=0 bash scripts/rerun-sanitizer-failures.sh build-asan
fi
# The same run under the sanitizers: the campaign and the first mission of each mode but LEVEL.
taskset -c 0,1 bash scripts/autoplay.sh --ci --asan -j 2

# Fuzzing: every loader that takes bytes from a file, a bounded number of runs each
# (clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer).
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVEX_FUZZ=ON -DORVEX_TESTS=OFF -DORVEX_DESKTOP=OFF -DORVEX_BENCH=OFF
cmake --build build-fuzz -j "$jobs" --target fuzz_all
bash fuzz/run.sh build-fuzz 1

# ThreadSanitizer: only the test programs that run engine threads.
tsan_clean=(tests/core/test_threads tests/core/test_log tests/tsan/test_threads_stress tests/tsan/test_audio_stress
            tests/audio/test_play_gates tests/audio/test_capture tests/audio/test_sound_lifecycle
            tests/tsan/test_bitmaps_stress tests/gfx/test_bitmap_pool tests/tsan/test_fonts_stress
            tests/gfx/test_bitmap_load
            tests/app/services/test_data_threads tests/app/services/test_luaman_threads
            tests/app/ui/test_screen_threads tests/app/ui/test_timeline_threads
            tests/app/ui/test_partfx_threads
            tests/app/services/test_prog_quit tests/app/ui/test_ui_textbox_threads
            tests/online/test_news_threads tests/app/ui/test_ui_widget_threads
            tests/online/test_online_threads
            tests/game/test_scape_threads
            tests/game/screens/test_loading tests/gfx/test_driver_preload)
CC=clang CXX=clang++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_TSAN=ON -DORVEX_DESKTOP=OFF -DORVEX_BENCH=OFF
targets=()
for t in "${tsan_clean[@]}"; do targets+=("$(basename "$t")"); done
cmake --build build-tsan -j "$jobs" --target "${targets[@]}"
export TSAN_OPTIONS="halt_on_error=0 exitcode=66 second_deadlock_stack=1 suppressions=$PWD/tests/tsan/tsan.supp"
# One program per core at a time; each one's output is printed whole, in the list's order.
tsan_one() {
  echo "tsan: $1"
  LIBGL_ALWAYS_SOFTWARE=1 timeout 600 "build-tsan/$1"
}
source scripts/lib/parallel-each.sh
parallel_each "$jobs" tsan_one "${tsan_clean[@]}"
