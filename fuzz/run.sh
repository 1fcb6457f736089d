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
# Run counts: half of what the measurements below gave each program, so that the whole pass, one
# program per core, takes about a minute on two cores (longer campaigns: scripts/fuzz-long.sh).
# Measured at twice these counts: the image, RLE, sequence and font loaders are slower per input (each also goes
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
declare -A runs=([fuzz_xml_reader]=60000 [fuzz_database]=37500 [fuzz_settings]=22500 [fuzz_pak]=37500 [fuzz_wav]=37500
                 [fuzz_png]=2500 [fuzz_jpg]=1500 [fuzz_tga]=1500 [fuzz_rle]=1500 [fuzz_bms]=2500 [fuzz_mft]=1000
                 [fuzz_font_source]=600 [fuzz_script]=50000 [fuzz_mp3]=5000 [fuzz_http_cache]=7500
                 [fuzz_bms_frames]=150 [fuzz_app_database]=6000 [fuzz_app_csv]=5000
                 [fuzz_language]=2000 [fuzz_effect]=6000 [fuzz_model]=6000 [fuzz_news]=1500
                 [fuzz_leaderboards_db]=1500 [fuzz_savegame]=100000 [fuzz_stats]=50000
                 [fuzz_player_files]=300 [fuzz_content]=200 [fuzz_ui_script]=1500 [fuzz_dev_tools]=750)
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
