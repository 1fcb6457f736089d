#!/usr/bin/env bash
# The unattended run: the real program, headless, in developer mode with the automated
# test player (AUTO_TESTING_MODE), plays the shipped missions, one process per mission
# in a fresh run folder, plus a campaign process through the real menus.
#
#   bash scripts/autoplay.sh [--ci|--all] [--asan] [--seed N] [-j N]
#                            [--build DIR] [--native DIR] [--mission C:M]... [--no-campaign] [--no-missions]
#                            [--limit S] [--timeout S] [--keep DIR]
#
#   --ci      every mission when that fits the CI's four minutes, else the first mission
#             of each chapter and of each game mode; plus the campaign process (default)
#   --ci --asan  the campaign process and the first mission of each mode but LEVEL
#   --all     every mission and the campaign through all chapters
#   --asan    the AddressSanitizer/UndefinedBehaviorSanitizer build (build-asan)
#   --seed N  the run's seed (1)        -j N   processes at once (2)
#   --build DIR   the build to run (build, or build-asan with --asan)
#   --native DIR  the program directory to play instead of the build's (fixtures)
#   --mission C:M play only the named missions (repeatable)
#   --limit S     game seconds a battle may last (900)
#   --timeout S   wall seconds a process may take (240, ASan 420; the --all campaign 3 x)
#
# Each process must exit 0 in time with a clean log (see Judge below); any failure is
# reported with its mission, the seed and the log line, and the script exits 1. Every
# process prints its wall and game seconds.
set -uo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"

mode=ci
asan=0
seed=1
jobs=2
build=""
native=""
missions=()
campaign=1
no_missions=0
limit=900
timeout_s=""
keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --ci) mode=ci ;;
    --all) mode=all ;;
    --asan) asan=1 ;;
    --seed) seed="$2"; shift ;;
    -j) jobs="$2"; shift ;;
    -j*) jobs="${1#-j}" ;;
    --build) build="$2"; shift ;;
    --native) native="$2"; shift ;;
    --mission) missions+=("$2"); shift ;;
    --no-campaign) campaign=0 ;;
    --no-missions) no_missions=1 ;;
    --limit) limit="$2"; shift ;;
    --timeout) timeout_s="$2"; shift ;;
    --keep) keep="$2"; shift ;;
    -h|--help) sed -n '2,26p' "$0"; exit 0 ;;
    *) echo "autoplay: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done

if [ -z "$build" ]; then
  if [ "$asan" = 1 ]; then build="$src/build-asan"; else build="$src/build"; fi
fi
build="$(cd "$build" && pwd)" || exit 2
[ -n "$native" ] || native="$build/app/native"
native="$(cd "$native" && pwd)" || exit 2
game="$build/entry/orvex-game"
check="$build/tests/e2e/autoplay-check"
# The checker reads files only: the normal build's serves the sanitizer run too.
[ -x "$check" ] || check="$src/build/tests/e2e/autoplay-check"
forbidden="$src/tests/e2e/forbidden.txt"
for f in "$game" "$check" "$forbidden"; do
  [ -e "$f" ] || { echo "autoplay: missing $f" >&2; exit 2; }
done
if [ -z "$timeout_s" ]; then
  if [ "$asan" = 1 ]; then timeout_s=420; else timeout_s=240; fi
fi
[ "$mode" = all ] && [ -z "${campaign_stop:-}" ] && campaign_stop=60
campaign_stop="${campaign_stop:-2}"
# The campaign through all chapters plays some fifty battles: three times the time.
campaign_timeout="$timeout_s"
[ "$mode" = all ] && campaign_timeout=$((timeout_s * 3))

work="${keep:-$(mktemp -d "${TMPDIR:-/tmp}/orvex-autoplay-XXXXXX")}"
mkdir -p "$work"
[ -n "$keep" ] || trap 'rm -rf "$work"' EXIT

# The catalogue: "ARRAY:NODE MODE" per mission.
catalogue="$work/missions.txt"
if ! "$check" missions "$native" > "$catalogue"; then
  echo "autoplay: the mission catalogue does not read:" >&2
  cat "$catalogue" >&2
  exit 1
fi

# The missions to play.
plan="$work/plan.txt"
: > "$plan"
if [ "$no_missions" = 1 ]; then
  :
elif [ ${#missions[@]} -gt 0 ]; then
  for m in "${missions[@]}"; do grep -m1 "^$m " "$catalogue" >> "$plan" || echo "$m LEVEL" >> "$plan"; done
elif [ "$mode" = all ]; then
  cp "$catalogue" "$plan"
elif [ "$asan" = 1 ]; then
  # The first mission of each mode but LEVEL.
  awk '$2 != "LEVEL" && !seen[$2]++' "$catalogue" > "$plan"
else
  # Every mission when they fit four minutes at about 8 s each on two processes,
  # else the first of each chapter (array) and of each mode.
  count=$(wc -l < "$catalogue")
  if [ $(( (count + jobs - 1) / jobs * 8 )) -le 240 ]; then
    cp "$catalogue" "$plan"
  else
    awk '{ split($1, a, ":"); c = !chap[a[1]]++; m = !mode[$2]++; if (c || m) print }' "$catalogue" > "$plan"
  fi
fi

export LIBGL_ALWAYS_SOFTWARE=1
if [ "$asan" = 1 ]; then
  export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0:exitcode=86"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=87"
  export LSAN_OPTIONS="suppressions=$src/tests/gfx/lsan.supp:exitcode=88"
fi

# One process: NAME MODE [program arguments...]. Writes NAME/result (PASS or FAIL lines).
play() {
  local name="$1" mmode="$2"; shift 2
  local dir="$work/$name"
  rm -rf "$dir"; mkdir -p "$dir/app"
  ln -s "$native" "$dir/app/native"
  local t0 t1 rc limit_s="$timeout_s"
  [ "$name" = campaign ] && limit_s="$campaign_timeout"
  t0=$(date +%s.%N)
  ( cd "$dir" && timeout -k 10 "$limit_s" "$game" --headless --developer --features AUTO_TESTING_MODE \
      --seed "$seed" "$@" > "$dir/stdout.txt" 2>&1 )
  rc=$?
  t1=$(date +%s.%N)
  echo "$rc" > "$dir/rc"
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f\n", b - a }' > "$dir/wall"
  judge "$name" "$mmode" "$dir" "$@" > "$dir/result" 2>&1
}

fail() { echo "FAIL $*"; }

# The checks of one process's log.
judge() {
  local name="$1" mmode="$2" dir="$3"; shift 3
  local mission=""
  local args=("$@")
  for ((i = 0; i < ${#args[@]}; i++)); do
    [ "${args[$i]}" = "--autoplay-mission" ] && mission="${args[$((i + 1))]}"
  done
  local rc wall log user
  rc=$(cat "$dir/rc"); wall=$(cat "$dir/wall")
  user=$(ls -d "$dir"/data/*/* 2>/dev/null | head -1)
  log=$(ls "$user"/logs/*.log 2>/dev/null | tail -1)
  [ -n "$log" ] || log="$dir/stdout.txt"
  local at="$name (seed $seed)"
  local bad=0
  local limit_s="$timeout_s"
  [ "$name" = campaign ] && limit_s="$campaign_timeout"
  if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then fail "$at: no exit within $limit_s s"; bad=1
  elif [ "$rc" != 0 ]; then fail "$at: exit status $rc"; bad=1; fi
  if grep -q "ERROR: AddressSanitizer\|runtime error:\|ERROR: LeakSanitizer" "$dir/stdout.txt"; then
    fail "$at: sanitizer report: $(grep -m1 "ERROR: AddressSanitizer\|runtime error:\|ERROR: LeakSanitizer" "$dir/stdout.txt")"; bad=1
  fi
  local last2
  last2=$(grep -v '^\s*$' "$log" | tail -2)
  echo "$last2" | head -1 | grep -q "ORVEX log: 0 errors, [0-9]* warnings, [0-9]* infos\." ||
    { fail "$at: the log does not end with 0 errors: '$(echo "$last2" | head -1)'"; bad=1; }
  echo "$last2" | tail -1 | grep -q "0 files left open\.\." ||
    { fail "$at: the log does not end with 0 files left open: '$(echo "$last2" | tail -1)'"; bad=1; }
  local need=("Random seed $seed." "PushScreen: 'MainMenu'" "PushScreen: 'Game'")
  [ -n "$mission" ] && need+=("Screen message from null 'ENTER_BATTLE' '$mission'.")
  [ -z "$mission" ] && need+=("AI clicked Play")
  for n in "${need[@]}"; do
    grep -qF "$n" "$log" || { fail "$at: no line \"$n\""; bad=1; }
  done
  # A result screen after the battle, and a click on it.
  local result_line result
  result_line=$(grep -n "PushScreen: 'LevelWon'\|PushScreen: 'LevelLost'\|PushScreen: 'GameOver'" "$log" | head -1)
  result=$(echo "$result_line" | sed -n "s/.*PushScreen: '\([A-Za-z]*\)'.*/\1/p")
  if [ -z "$result" ]; then
    fail "$at: no result screen was pushed"; bad=1
  else
    tail -n +"${result_line%%:*}" "$log" | grep -q "AI clicked" || { fail "$at: nothing clicked on '$result'"; bad=1; }
  fi
  # Drags: at least 10, none in the INCOMING mission.
  local totals drags
  totals=$(grep "AI player: [0-9]* clicks, [0-9]* presses, [0-9]* drags\." "$log" | tail -1)
  drags=$(echo "$totals" | sed -n 's/.* \([0-9]*\) drags\..*/\1/p')
  if [ -z "$drags" ]; then fail "$at: no totals line of the test player"; bad=1
  elif [ "$mmode" = INCOMING ] && [ "$drags" != 0 ]; then fail "$at: $drags drags in the INCOMING mission"; bad=1
  elif [ "$mmode" != INCOMING ] && [ "$drags" -lt 10 ]; then fail "$at: only $drags drags: '$totals'"; bad=1; fi
  # Forbidden messages ("Array File '" counts only for names not under user://).
  local line
  while IFS= read -r pattern; do
    [ -z "$pattern" ] && continue
    case "$pattern" in \#*) continue ;; esac
    if [ "$pattern" = "Array File '" ]; then
      line=$(grep -F -e "$pattern" "$log" | grep -v "Array File 'user://" | head -1)
    else
      line=$(grep -F -m1 -e "$pattern" "$log")
    fi
    [ -n "$line" ] && { fail "$at: forbidden message: $line"; bad=1; }
  done < "$forbidden"
  # LEVEL missions must end within the limit, won or lost: the test player drags its
  # troopers at random, and a squad without sound orders may lose from the third
  # mission on by design (the balance itself is proved by tests/game/test_campaign_balance.cpp
  # with a steered and a passive squad). A lost battle still needs its result screen
  # and a click on it (above). The campaign process must get on: it wins at least one.
  local ended
  ended=$(grep "AI player: battle '[^']*' ended with '\(LevelWon\|LevelLost\|GameOver\)'" "$log" | tail -1)
  # Only LEVEL missions' battles count: the campaign process also plays the extras,
  # whose battles end with "GameOver" or at the limit by design.
  if [ "$mmode" = LEVEL ]; then
    local level_ids
    level_ids=$(awk '$2 == "LEVEL" { sub(/^[^:]*:/, "", $1); printf "%s%s", sep, $1; sep = "\\|" }' "$work/missions.txt")
    line=$(grep "AI player: battle '\($level_ids\)' reached the limit of" "$log" | head -1)
    [ -n "$line" ] && { fail "$at: LEVEL mission at the limit: $line"; bad=1; }
    if [ -z "$mission" ] && ! grep -q "AI player: battle '\($level_ids\)' ended with 'LevelWon'" "$log"; then
      fail "$at: the campaign won no LEVEL battle"; bad=1
    fi
  fi
  # The player's files load; a won mission is in the profile and (with LEADERBOARDS)
  # in the local leaderboards.
  if [ -n "$user" ]; then
    local extra=()
    # The mission the last battle won (the player may have left the named one for
    # another through the pause menu).
    local won_mission
    won_mission=$(echo "$ended" | sed -n "s/.*battle '\([^']*\)' ended with 'LevelWon'.*/\1/p")
    if [ -n "$won_mission" ]; then
      extra+=(--won "$won_mission")
      # The campaign may play a mission again (a retry, a replay from the play menu).
      [ -z "$mission" ] && extra+=(--replayed)
      grep -q "LEADERBOARDS" "$log" && extra+=(--leaderboards)
    fi
    local out
    if ! out=$("$check" userdata "$user" "${extra[@]}" 2>&1); then
      fail "$at: player files: $(echo "$out" | head -3 | tr '\n' ' ')"; bad=1
    fi
  else
    fail "$at: no player folder under $dir/data"; bad=1
  fi
  local game_s figures
  game_s=$(echo "$ended" | sed -n "s/.* after \([0-9.]*\) game seconds\..*/\1/p")
  figures=$(grep "AI player: battle '[^']*': [0-9]* stars" "$log" | tail -1 | sed -n "s/.*: \([0-9]* stars.*\)\./\1/p")
  # The row shows the last battle (the campaign's: of the many it played, counted here).
  local last_result played
  last_result=$(echo "$ended" | sed -n "s/.* ended with '\([A-Za-z]*\)'.*/\1/p")
  if [ -z "$mission" ]; then
    played=$(grep -c "AI player: battle '[^']*' ended with 'LevelWon'" "$log")
    figures="$figures; $played battles won in all"
  fi
  printf "%s %-28s %-16s %6ss wall %7s game s  %-9s %s\n" "$([ $bad = 0 ] && echo PASS || echo FAIL)" "$name" \
    "$mmode" "$wall" "${game_s:--}" "${last_result:-${result:-no result}}" "$figures"
}

export -f play judge fail
export work native game check forbidden seed timeout_s campaign_timeout

# The process list: one line per process, "NAME MODE ARGS...".
procs="$work/procs.txt"
: > "$procs"
while read -r m mm; do
  [ -n "$m" ] || continue
  echo "${m//[:\/]/_} $mm --autoplay-mission $m --autoplay-stop 1 --autoplay-limit $limit" >> "$procs"
done < "$plan"
[ "$campaign" = 1 ] && echo "campaign LEVEL --autoplay-stop $campaign_stop --autoplay-limit $limit" >> "$procs"

echo "autoplay: $(wc -l < "$procs") processes, $jobs at once, seed $seed, $( [ "$asan" = 1 ] && echo ASan/UBSan || echo normal) build ($build)"
start=$(date +%s)
# shellcheck disable=SC2016
xargs -P "$jobs" -L 1 bash -c 'play "$@"' _ < "$procs"
end=$(date +%s)

status=0
while read -r name _; do
  if [ -f "$work/$name/result" ]; then
    cat "$work/$name/result"
    grep -q "^FAIL" "$work/$name/result" && status=1
  else
    echo "FAIL $name (seed $seed): did not run"; status=1
  fi
done < "$procs"
echo "autoplay: $((end - start)) s in all; $( [ $status = 0 ] && echo passed || echo FAILED)"
[ -n "$keep" ] && echo "autoplay: run folders kept in $work"
exit $status
