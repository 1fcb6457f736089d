#!/bin/bash
# The real program's scenes, each printed as RESULT lines (appended to $OUT too):
#
#   first_frame  launch to the first presented frame, headless and under Xvfb (the
#                program logs the wall clock of its first present; the launch time is
#                this script's), FIRST_FRAME_REPS runs each
#   idle_menu    the main menu left alone under Xvfb: CPU time of the whole process (all
#                threads, llvmpipe's apart) in % of one core over IDLE_SECONDS, after
#                IDLE_WARMUP seconds; peak memory
#   battle       the busiest shipped mission (the most entities in play at once) played by
#                the test player at real speed (its fast forward off): the main thread's
#                CPU time per frame (mean, p99), the frame times and their spread over the
#                first GAME_MEASURE seconds of the battle, and the peak memory (VmHWM)
#                after them and through the whole battle; under Xvfb and headless
#   jitter       the time between presents (bench/swap_times.c) of the main menu kept
#                busy by pointer moves under Xvfb, for this build and, when BASE_GAME
#                names another build's program, for that one (same program directory)
#
# Usage: bench/game_scenes.sh BUILD_DIR OUT_FILE CPUS DISPLAY [SCENES]
#   GAME_MISSION (EXTRAS:INCOMING_MODE), GAME_MEASURE (60), GAME_MODES ("xvfb headless"),
#   GAME_LIMIT (game seconds a battle may last, 0: the whole battle), FIRST_FRAME_REPS (5),
#   IDLE_WARMUP (10), IDLE_SECONDS (30), JITTER_SECONDS (20), BASE_GAME (none)
set -u
BUILD=$(cd "$1" && pwd)
OUT=$2
CPUS=$3
export DISPLAY=$4
SCENES=${5:-first_frame idle_menu battle jitter}
GAME=$BUILD/entry/orvex-game
NATIVE=$BUILD/app/native
MISSION=${GAME_MISSION:-EXTRAS:INCOMING_MODE}
MEASURE=${GAME_MEASURE:-60}
MODES=${GAME_MODES:-xvfb headless}
LIMIT=${GAME_LIMIT:-0}
REPS=${FIRST_FRAME_REPS:-5}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/orvex-game-scenes-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

say() { echo "$*" | tee -a "$OUT"; }

# A fresh run folder (user:// inside, res:// the build's program directory).
run_dir() {
  local d="$WORK/$1"
  rm -rf "$d"
  mkdir -p "$d/app"
  ln -s "$NATIVE" "$d/app/native"
  echo "$d"
}

latest_log() { ls -t "$1"/data/*/*/logs/*.log 2>/dev/null | head -1; }

# CPU ticks of every thread of a process: "total llvmpipe main" (main: the first thread).
ticks() {
  local pid=$1 total=0 lp=0 main=0 t v
  for t in /proc/"$pid"/task/*; do
    v=$(awk '{print $14 + $15}' "$t/stat" 2>/dev/null) || continue
    total=$((total + v))
    grep -q llvmpipe "$t/comm" 2>/dev/null && lp=$((lp + v))
    [ "$(basename "$t")" = "$pid" ] && main=$v
  done
  echo "$total $lp $main"
}

hwm() { awk '/VmHWM/ {print $2}' /proc/"$1"/status 2>/dev/null; }

first_frame() {
  local mode rep d t0 log wall args
  for mode in headless xvfb; do
    for rep in $(seq "$REPS"); do
      d=$(run_dir first)
      args=()
      [ "$mode" = headless ] && { printf 'wait 1500\nexit\n' > "$WORK/exit.txt"; args=(--headless --script "$WORK/exit.txt"); }
      t0=$(date +%s%N)
      if [ "$mode" = headless ]; then
        (cd "$d" && taskset -c "$CPUS" "$GAME" "${args[@]}" > /dev/null 2>&1)
      else
        (cd "$d" && exec taskset -c "$CPUS" "$GAME" > /dev/null 2>&1) &
        local pid=$!
        for _ in $(seq 50); do log=$(latest_log "$d"); [ -n "$log" ] && grep -q "First frame presented" "$log" && break; sleep 0.1; done
        sleep 0.5
        kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
      fi
      log=$(latest_log "$d")
      wall=$(sed -n 's/.*First frame presented.*wall clock \([0-9]*\)\.\([0-9]*\) s.*/\1\2/p' "$log" | head -1)
      if [ -n "$wall" ]; then
        say "RESULT prog=game scene=first_frame mode=$mode rep=$rep" \
          "first_frame_ms=$(awk -v w="$wall" -v t="$t0" 'BEGIN {printf "%.1f", (w * 1000 - t) / 1e6}')"
      else
        say "RESULT prog=game scene=first_frame mode=$mode rep=$rep failed=1"
      fi
    done
  done
}

idle_menu() {
  local d pid a b
  d=$(run_dir idle)
  (cd "$d" && exec taskset -c "$CPUS" "$GAME" > /dev/null 2>&1) &
  pid=$!
  sleep "${IDLE_WARMUP:-10}"
  read -r -a a <<< "$(ticks "$pid")"
  sleep "${IDLE_SECONDS:-30}"
  read -r -a b <<< "$(ticks "$pid")"
  local s=${IDLE_SECONDS:-30} hz
  hz=$(getconf CLK_TCK)
  say "RESULT prog=game scene=idle_menu mode=xvfb seconds=$s" \
    "cpu_pct=$(awk -v d=$((b[0] - a[0])) -v s="$s" -v hz="$hz" 'BEGIN {printf "%.1f", 100 * d / hz / s}')" \
    "llvmpipe_pct=$(awk -v d=$((b[1] - a[1])) -v s="$s" -v hz="$hz" 'BEGIN {printf "%.1f", 100 * d / hz / s}')" \
    "main_pct=$(awk -v d=$((b[2] - a[2])) -v s="$s" -v hz="$hz" 'BEGIN {printf "%.1f", 100 * d / hz / s}')" \
    "vmhwm_kb=$(hwm "$pid")"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

battle() {
  local mode d args log line end
  for mode in $MODES; do
    d=$(run_dir "battle-$mode")
    args=(--developer --features AUTO_TESTING_MODE --seed 1 --autoplay-mission "$MISSION" --autoplay-stop 1
          --autoplay-real-speed --autoplay-measure "$MEASURE")
    [ "$LIMIT" -gt 0 ] && args+=(--autoplay-limit "$LIMIT")
    [ "$mode" = headless ] && args=(--headless "${args[@]}")
    (cd "$d" && taskset -c "$CPUS" timeout 3600 "$GAME" "${args[@]}" > "$d/stdout.txt" 2>&1)
    log=$(latest_log "$d")
    line=$(grep -h "AI player: measured " "$log" | tail -1)
    end=$(grep -h "entities in play, VmHWM" "$log" | tail -1)
    say "RESULT prog=game scene=battle mode=$mode mission=$MISSION" \
      "frames=$(echo "$line" | sed -n 's/.*measured \([0-9]*\) frames.*/\1/p')" \
      "seconds=$(echo "$line" | sed -n 's/.* frames in \([0-9.]*\) s.*/\1/p')" \
      "cpu_mean_ms=$(echo "$line" | sed -n 's/.*CPU per frame mean \([0-9.]*\) ms.*/\1/p')" \
      "cpu_p99_ms=$(echo "$line" | sed -n 's/.*CPU per frame mean [0-9.]* ms, p99 \([0-9.]*\) ms.*/\1/p')" \
      "frame_mean_ms=$(echo "$line" | sed -n 's/.*frame time mean \([0-9.]*\) ms.*/\1/p')" \
      "frame_p99_ms=$(echo "$line" | sed -n 's/.*frame time mean [0-9.]* ms, p99 \([0-9.]*\) ms.*/\1/p')" \
      "frame_sd_ms=$(echo "$line" | sed -n 's/.*, sd \([0-9.]*\) ms.*/\1/p')" \
      "vmhwm_measured_kb=$(echo "$line" | sed -n 's/.*VmHWM \([0-9]*\) kB.*/\1/p')" \
      "most_in_play=$(echo "$end" | sed -n 's/.*at most \([0-9]*\) entities.*/\1/p')" \
      "vmhwm_kb=$(echo "$end" | sed -n 's/.*VmHWM \([0-9]*\) kB.*/\1/p')" \
      "game_s=$(grep -h "ended with" "$log" | tail -1 | sed -n 's/.* after \([0-9.]*\) game seconds.*/\1/p')"
  done
}

# The main menu kept busy by the pointer from the start (so that it never takes its idle
# pace), its presents timed after the first 400 (start-up, the loading screen).
jitter_run() {
  local tag=$1 game=$2 d pid
  d=$(run_dir "jitter-$tag")
  rm -f "$WORK/swap.txt"
  (cd "$d" && SWAP_TIMES_OUT="$WORK/swap.txt" SWAP_TIMES_SKIP=400 LD_PRELOAD="$BUILD/bench/libswap_times.so" \
     exec taskset -c "$CPUS" "$game" > /dev/null 2>&1) &
  pid=$!
  local end=$(( $(date +%s) + 8 + ${JITTER_SECONDS:-20} )) i=0
  while [ "$(date +%s)" -lt "$end" ]; do
    i=$((i + 1))
    xdotool mousemove $((300 + (i * 37) % 400)) $((200 + (i * 23) % 300)) 2>/dev/null
    sleep 0.5
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  say "$(sed "s/^RESULT prog=swap_times/RESULT prog=game scene=jitter build=$tag/" "$WORK/swap.txt" 2>/dev/null | tail -1)"
}

jitter() {
  # Without the pointer moves the menu takes its idle pace and the figures say nothing.
  command -v xdotool >/dev/null || { say "RESULT prog=game scene=jitter failed=1 why=no-xdotool"; return; }
  jitter_run this "$GAME"
  [ -n "${BASE_GAME:-}" ] && jitter_run base "$BASE_GAME"
}

for scene in $SCENES; do
  echo "# game scene $scene, load $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$OUT"
  "$scene"
done
