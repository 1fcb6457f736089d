#!/usr/bin/env bash
# Runs every fuzz program of build-fuzz over its seeds and its kept corpus for a bounded
# number of runs.
# Usage: fuzz/run.sh BUILD_DIR SCALE  (SCALE multiplies the run counts and time limits; 1
# in the test command, larger in scripts/fuzz-long.sh). Each program starts from the
# seeds the build wrote (BUILD_DIR/seeds/<target>/, when it wrote any) and its kept corpus
# (fuzz/corpus/<target>/: the hand-written seeds and what the last campaign kept; read
# only here); new inputs go to
# BUILD_DIR/fuzz-work/<target>/, crashes to BUILD_DIR/fuzz-crashes/<target>/. A fuzz
# program the list below does not know fails the run, so that none is left out.
set -euo pipefail
build=$(cd "$1" && pwd)
scale=${2:-1}
corpus=$(cd "$(dirname "$0")" && pwd)/corpus
# Run counts chosen so that one pass of the first five takes about two minutes on two cores (measured: 37 s
# for a third of these); the image, RLE, sequence and font loaders are slower per input (each also goes
# through a file and, for images, decodes twice) and get about six seconds each, as do the script reader,
# the music tracks, the download cache and the numbered-frame sequences (which decode, pack, write and
# read back up to eight images per input: a few dozen inputs a second).
# The effect file runner and the model reader get about six seconds each as well (measured: 20000 runs
# in about ten seconds each). The news reader writes and reads the state file per input (measured: 20000
# runs in 39 seconds). The leaderboards database writes its file (with a sync) at least once per input, so
# it gets a few thousand runs (measured: 3000 in 6 seconds).
# The saved-game and statistics readers work in memory (measured: 200000 runs in 2 seconds and under 1).
# The program-wide readers are the slowest per input and get a few seconds each: the player's files
# write and sync the profiles at least once per input (measured: 1600 runs in 20 seconds), the content
# target builds a battlefield, sets up a mission and plays 40 frames of it (1300 runs in 20 seconds),
# the UI script runner builds a set (11000 in 20 seconds), the developer tools' loaders read and write
# back a terrain or outline file (6000 in 20 seconds).
declare -A runs=([fuzz_xml_reader]=120000 [fuzz_database]=75000 [fuzz_settings]=45000 [fuzz_pak]=75000 [fuzz_wav]=75000
                 [fuzz_png]=5000 [fuzz_jpg]=3000 [fuzz_tga]=3000 [fuzz_rle]=3000 [fuzz_bms]=5000 [fuzz_mft]=2000
                 [fuzz_font_source]=1200 [fuzz_script]=100000 [fuzz_mp3]=10000 [fuzz_http_cache]=15000
                 [fuzz_bms_frames]=300 [fuzz_app_database]=12000 [fuzz_app_csv]=10000
                 [fuzz_language]=4000 [fuzz_effect]=12000 [fuzz_model]=12000 [fuzz_news]=3000
                 [fuzz_leaderboards_db]=3000 [fuzz_savegame]=200000 [fuzz_stats]=100000
                 [fuzz_player_files]=600 [fuzz_content]=400 [fuzz_ui_script]=3000 [fuzz_dev_tools]=1500)
targets=(fuzz_xml_reader fuzz_database fuzz_settings fuzz_pak fuzz_wav fuzz_png fuzz_jpg fuzz_tga fuzz_rle fuzz_bms
         fuzz_mft fuzz_font_source fuzz_script fuzz_mp3 fuzz_http_cache fuzz_bms_frames fuzz_app_database fuzz_app_csv
         fuzz_language fuzz_effect fuzz_model fuzz_news fuzz_leaderboards_db fuzz_savegame fuzz_stats
         fuzz_player_files fuzz_content fuzz_ui_script fuzz_dev_tools)
status=0
for program in "$build"/fuzz/fuzz_*; do
  name=$(basename "$program")
  if [ -x "$program" ] && [ -z "${runs[$name]+set}" ]; then
    echo "fuzz: $name is built but has no run count in fuzz/run.sh"
    status=1
  fi
done
# One fuzz program per core at a time (FUZZ_JOBS overrides): each works alone in its own
# scratch directory, work folder and log.
fuzz_one() {
  local t=$1 n work crashes dirs
  n=$((runs[$t] * scale))
  work="$build/fuzz-work/$t"
  crashes="$build/fuzz-crashes/$t"
  mkdir -p "$work" "$crashes"
  dirs=("$work")
  [ -d "$build/seeds/$t" ] && dirs+=("$build/seeds/$t")
  [ -d "$corpus/$t" ] && dirs+=("$corpus/$t")
  # The programs change into a scratch directory, so every path given is absolute.
  if "$build/fuzz/$t" -runs="$n" -max_total_time=$((60 * scale)) -max_len=20000 -rss_limit_mb=2048 \
       -artifact_prefix="$crashes/" -print_final_stats=1 "${dirs[@]}" > "$build/fuzz-work/$t.log" 2>&1; then
    echo "fuzz: $t $(grep -m1 'stat::number_of_executed_units' "$build/fuzz-work/$t.log" | awk '{print $2}') runs, no crash"
  else
    echo "fuzz: $t FAILED (see $build/fuzz-work/$t.log and $crashes)"
    tail -40 "$build/fuzz-work/$t.log"
    return 1
  fi
}
source "$(dirname "$0")/../scripts/lib/parallel-each.sh"
parallel_each "${FUZZ_JOBS:-$(nproc)}" fuzz_one "${targets[@]}" || status=1
exit $status
