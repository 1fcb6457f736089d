#!/bin/bash
# Runs the engine's scenes (headless and under Xvfb) and the same scenes on SDL_Renderer
# (opengl, opengles2) and LOVE under Xvfb, back to back per scene and N, plus the
# scalar blend ceiling, and prints the table. Usage: bench/run.sh [N ...]
#   BENCH_BUILD  build directory (default build-bench), built here in Release
#   BENCH_OUT    raw results file (default $BENCH_BUILD/bench-results.txt)
set -u
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BENCH_BUILD:-$ROOT/build-bench}
OUT=${BENCH_OUT:-$BUILD/bench-results.txt}
COUNTS=("$@")
[ ${#COUNTS[@]} -eq 0 ] && COUNTS=(1000 10000 100000)
export LIBGL_ALWAYS_SOFTWARE=1

if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEX_TESTS=OFF >/dev/null || exit 1
fi
cmake --build "$BUILD" --target orvex_scenes sdl_scenes blend_ceiling >/dev/null || exit 1
B=$BUILD/bench

# One virtual X server for every windowed run.
DISP=:${BENCH_DISPLAY:-93}
Xvfb "$DISP" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
trap 'kill $XVFB_PID 2>/dev/null' EXIT
sleep 1
export DISPLAY=$DISP

: >"$OUT"
frames_for() {  # a small fixed frame count per N
  case $1 in
    1000) echo 30 ;;
    10000) echo 12 ;;
    *) echo 5 ;;
  esac
}

run() {  # tag, command...: one run, its RESULT line kept with the tag
  local tag=$1
  shift
  local line
  line=$(BENCH_T0_NS=$(date +%s%N) "$@" 2>/dev/null | grep '^RESULT' | tail -1)
  if [ -z "$line" ]; then
    line="RESULT prog=$tag failed=1"
  fi
  echo "$line" | tee -a "$OUT"
}

scene_all() {  # args common to every program
  run orvex-headless "$B/orvex_scenes" --headless "$@"
  run orvex-xvfb "$B/orvex_scenes" --desktop "$@"
  run sdl-opengl "$B/sdl_scenes" --driver opengl "$@"
  run sdl-opengles2 "$B/sdl_scenes" --driver opengles2 "$@"
  run love love "$ROOT/bench/love" "$@"
}

echo "# $(date -u +%FT%TZ) $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$OUT"
for n in "${COUNTS[@]}"; do
  f=$(frames_for "$n")
  for size in 2 32; do
    for textures in 1 2; do
      scene_all --scene sprites --size $size --textures $textures --count "$n" --frames "$f" --warmup 2
    done
    run ceiling "$B/blend_ceiling" --size $size --count "$n" --frames "$f"
  done
done
scene_all --scene text --frames 30 --warmup 2
echo "# end load $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$OUT"

python3 "$ROOT/bench/table.py" "$OUT"
