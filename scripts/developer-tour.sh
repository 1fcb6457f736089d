#!/usr/bin/env bash
# The developer's tour of a fresh game through the real program: headless, developer
# mode, input from tests/e2e/developer-tour.events (Loading, main menu, play menu, the
# first chapter's missions won with the developer's 'C', feature unlocks, a purchase in
# the battle's shop, a medal, leaving a battle for the play menu, the leaderboards).
# Each step of the events waits for what the program's log says (the screen pushed, the
# battle ready to enter) within a time limit, not for a fixed time, so a loaded machine
# only makes the tour slower. Then the run is judged: every wait met in time, exit 0,
# the screens in their order, no developer popup ("OV: ") and none of
# tests/e2e/forbidden.txt, the shop's sale, the play log's level events, the "CAMPAIGN"
# score among the profile's best scores.
#
#   bash scripts/developer-tour.sh [--build DIR] [--keep DIR]
set -uo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
build="$src/build"
keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift ;;
    --keep) keep="$2"; shift ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) echo "developer-tour: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
# The program runs from its run folder: a build folder given relative to here is made whole.
[ -d "$build" ] && build="$(cd "$build" && pwd)"
game="$build/entry/orvex-game"
[ -x "$game" ] || { echo "developer-tour: no program at $game (build first)" >&2; exit 2; }

run="${keep:-$(mktemp -d /tmp/orvex-tour-XXXXXX)}"
rm -rf "$run/app" "$run/data"
mkdir -p "$run/app"
ln -s "$build/app/native" "$run/app/native"
cp "$src/tests/e2e/developer-tour.events" "$run/events.txt"
start=$(date +%s)
(cd "$run" && LIBGL_ALWAYS_SOFTWARE=1 timeout -s KILL 1200 "$game" --headless --developer --script events.txt \
  > run.out 2>&1)
status=$?
user="$run/data/Talvik/Orvex_Game"
log="$user/logs/orvex-0001.log"
echo "developer-tour: exit $status after $(( $(date +%s) - start )) s; run folder $run"

fail=0
bad() { echo "developer-tour: FAIL: $*"; fail=1; }
[ "$status" = 0 ] || bad "the program exited with $status"
[ -f "$log" ] || { bad "no log at $log"; exit 1; }
# A wait of the events that ran out of time: the program never logged what it waited for.
if grep -q "script: await gave up" "$run/run.out"; then
  bad "waits that ran out of time:"; grep "script: await gave up" "$run/run.out" | sed 's/^/    /'
fi

# The screens in the order the events reach them.
at=0
for screen in Loading MainMenu PlayMenu Chapter_1_Begin LoaderTransition Game LevelWon FeatureUnlocked Shop \
              LevelWon PauseMenu LevelLeave PlayMenu Leaderboards; do
  line=$(grep -n "PushScreen: '$screen'" "$log" | cut -d: -f1 | awk -v a="$at" '$1 > a' | head -1)
  if [ -z "$line" ]; then bad "no PushScreen '$screen' after log line $at"; else at=$line; fi
done
grep -q "PushScreen: 'AchievementUnlocked'" "$log" || bad "no medal notice (AchievementUnlocked)"
if ! grep -q "Playing sound sfx/buy_stuff" "$log"; then
  bad "nothing bought in the shop (no sfx/buy_stuff); the shop's taps:"
  grep "Shop: tap" "$log" | sed 's/^.*Shop: /    /'
fi

# No developer popup, no forbidden message ("Array File '" only outside user://).
if grep -q "OV: " "$log"; then
  bad "developer popups:"; grep "OV: " "$log" | sed 's/^.*OV: /    /' | sort | uniq -c
fi
while IFS= read -r fragment; do
  case "$fragment" in ''|'#'*) continue ;; esac
  hits=$(grep -F -- "$fragment" "$log" | grep -v "Array File 'user://")
  [ -z "$hits" ] || { bad "forbidden: $fragment"; echo "$hits" | head -3 | sed 's/^/    /'; }
done < "$src/tests/e2e/forbidden.txt"

# The play log's level events and the campaign's score.
playlog=$(ls "$user"/logs/playlog-*.csv 2>/dev/null | head -1)
if [ -z "$playlog" ]; then bad "no play log (logs/playlog-*.csv)"
else
  grep -q "LEVEL_WON" "$playlog" || bad "no LEVEL_WON event in $playlog"
  echo "developer-tour: play log $(basename "$playlog"): $(grep -c . "$playlog") lines, $(grep -c LEVEL_WON "$playlog") LEVEL_WON"
fi
# The campaign keeps one rising score per player: in the profile's best scores.
grep -qs '<node id="CAMPAIGN" points="[1-9]' "$user"/profiles/*.xml ||
  bad "no CAMPAIGN score among the profile's best scores (profiles/*.xml)"

if [ "$fail" = 0 ]; then echo "developer-tour: passed"; fi
[ -n "$keep" ] || [ "$fail" != 0 ] || rm -rf "$run"
exit $fail
