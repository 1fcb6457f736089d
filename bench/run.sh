#!/bin/bash
# Runs the engine's scenes (headless and under Xvfb) and the same scenes on SDL_Renderer
# (opengl, opengles2) and LOVE under Xvfb, plus the blend ceilings, and prints the table
# of medians. Every program runs pinned to the same cores with the same number of
# llvmpipe threads; each cell is repeated, the repetitions interleaved (all cells and
# programs once, then again), so that a change of machine load hits every program alike.
# Then the battle benchmark (bench/battle.cpp, on the first of the cores) and the real
# program's scenes (bench/game_scenes.sh: first frame, idle main menu, a battle of the
# busiest mission at real speed, frame pacing).
# Usage: bench/run.sh [N ...]          (default N: 1000 10000 100000)
#   BENCH_BUILD  build directory (default build-bench), built here in Release
#   BENCH_OUT    raw results file (default $BENCH_BUILD/bench-results.txt)
#   BENCH_CPUS   cores to pin to, taskset list (default 2,3)
#   BENCH_REPS   repetitions of each cell (default 3)
#   BENCH_SCENES "sprites text battle game" (default all four)
#   BENCH_BATTLE_RUNS  runs of each battle scene (default 6)
#   BENCH_GAME_SCENES  the real program's scenes (default: all of bench/game_scenes.sh's)
#   BENCH_BASE_GAME    another build's orvex-game whose frame pacing is measured beside
#                      this one's (optional); GAME_* settings: see bench/game_scenes.sh
set -u
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BENCH_BUILD:-$ROOT/build-bench}
OUT=${BENCH_OUT:-$BUILD/bench-results.txt}
CPUS=${BENCH_CPUS:-2,3}
REPS=${BENCH_REPS:-3}
SCENES=${BENCH_SCENES:-sprites text battle game}
COUNTS=("$@")
[ ${#COUNTS[@]} -eq 0 ] && COUNTS=(1000 10000 100000)

# One llvmpipe rasteriser thread per pinned core, for every program alike.
ncpus=$(taskset -c "$CPUS" nproc) || { echo "bad BENCH_CPUS: $CPUS" >&2; exit 1; }
export LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=$ncpus

# The tests are configured for the battle benchmark's fixture; only the targets below are built.
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_TESTS=ON >/dev/null || exit 1
fi
cmake --build "$BUILD" -j4 --target orvex_scenes sdl_scenes blend_ceiling battle_bench swap_times orvex-game \
  program_dir content_art content_sfx music_tracks shipped_fonts >/dev/null || exit 1
B=$BUILD/bench

# One virtual X server for every windowed run, on a display number it picks itself.
dispfile=$(mktemp)
taskset -c "$CPUS" Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>"$dispfile" >/dev/null 2>&1 &
XVFB_PID=$!
trap 'kill $XVFB_PID 2>/dev/null; rm -f "$dispfile"' EXIT
for _ in $(seq 50); do [ -s "$dispfile" ] && break; sleep 0.1; done
[ -s "$dispfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -1 "$dispfile")

# Frames per run: enough for about a second of our slowest case and never under 8.
frames_for() {  # size textures N
  case "$1x$2x$3" in
    2x1x1000) echo 300 ;;  2x1x10000) echo 150 ;;  2x1x100000) echo 40 ;;
    2x2x1000) echo 100 ;;  2x2x10000) echo 20 ;;   2x2x100000) echo 8 ;;
    32x1x1000) echo 100 ;; 32x1x10000) echo 20 ;;  32x1x100000) echo 10 ;;
    32x2x1000) echo 60 ;;  32x2x10000) echo 12 ;;  32x2x100000) echo 8 ;;
    *) echo 10 ;;
  esac
}

run() {  # rep, tag, command...: one pinned run, its RESULT line kept with the repetition
  local rep=$1 tag=$2
  shift 2
  local line
  line=$(BENCH_T0_NS=$(date +%s%N) taskset -c "$CPUS" "$@" 2>/dev/null | grep '^RESULT' | tail -1)
  [ -z "$line" ] && line="RESULT prog=$tag failed=1"
  echo "$line rep=$rep" | tee -a "$OUT"
}

scene_all() {  # rep, args common to every program
  local rep=$1
  shift
  run "$rep" orvex-headless "$B/orvex_scenes" --headless "$@"
  run "$rep" orvex-xvfb "$B/orvex_scenes" --desktop "$@"
  run "$rep" sdl-opengl "$B/sdl_scenes" --driver opengl "$@"
  run "$rep" sdl-opengles2 "$B/sdl_scenes" --driver opengles2 "$@"
  run "$rep" love love "$ROOT/bench/love" "$@"
}

load() { cut -d' ' -f1-3 /proc/loadavg; }
: >"$OUT"
echo "# $(date -u +%FT%TZ) $(nproc) cores, pinned to $CPUS, LP_NUM_THREADS=$LP_NUM_THREADS, $REPS repetitions," \
  "load $(load), display $DISPLAY" | tee -a "$OUT"
echo "# $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-)" | tee -a "$OUT"
for rep in $(seq "$REPS"); do
  echo "# repetition $rep, load $(load)" | tee -a "$OUT"
  for scene in $SCENES; do
    if [ "$scene" = sprites ]; then
      for n in "${COUNTS[@]}"; do
        for size in 2 32; do
          for textures in 1 2; do
            f=$(frames_for $size $textures "$n")
            scene_all "$rep" --scene sprites --size $size --textures $textures --count "$n" --frames "$f" --warmup 2
          done
          f=$(frames_for $size 1 "$n")
          run "$rep" ceiling "$B/blend_ceiling" --size $size --count "$n" --frames "$f" --threads 1
          run "$rep" ceiling "$B/blend_ceiling" --size $size --count "$n" --frames "$f" --threads "$ncpus"
        done
      done
    elif [ "$scene" = text ]; then
      scene_all "$rep" --scene text --frames 200 --warmup 2
    fi
  done
done

# The battle benchmark: single-threaded, on the first core.
if [[ " $SCENES " == *" battle "* ]]; then
  echo "# battle benchmark, load $(load)" | tee -a "$OUT"
  taskset -c "${CPUS%%[,-]*}" "$B/battle_bench" --runs "${BENCH_BATTLE_RUNS:-6}" 2>/dev/null | grep '^RESULT' | tee -a "$OUT"
fi
# The real program.
if [[ " $SCENES " == *" game "* ]]; then
  BASE_GAME=${BENCH_BASE_GAME:-} bash "$ROOT/bench/game_scenes.sh" "$BUILD" "$OUT" "$CPUS" "$DISPLAY" \
    "${BENCH_GAME_SCENES:-first_frame idle_menu battle jitter}"
fi
echo "# end load $(load)" | tee -a "$OUT"

python3 "$ROOT/bench/table.py" "$OUT"
