#!/usr/bin/env bash
# The unattended run's harness on fixture missions: a copy of the built program
# directory with one fault each; the harness must fail, naming the process, the seed
# and the log line.
#   test_autoplay_harness.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src="$1"
build="$2"
native="$build/app/native"
work="$(mktemp -d "${TMPDIR:-/tmp}/orvex-harness-XXXXXX")"
trap 'rm -rf "$work"' EXIT
status=0

# A program directory of links to the built one, with the named files replaced.
fixture() {
  local dir="$work/$1"
  cp -rs "$native" "$dir"
  echo "$dir"
}
replace() {
  rm -f "$1"
  cat > "$1"
}
expect() {
  local what="$1" out="$2" rc="$3" pattern="$4"
  if [ "$rc" = 0 ]; then
    echo "harness test: $what: the run passed"; status=1
  elif ! grep -q -- "$pattern" "$out"; then
    echo "harness test: $what: no line matching \"$pattern\" in:"; cat "$out"; status=1
  else
    echo "harness test: $what: reported: $(grep -m1 -- "$pattern" "$out")"
  fi
}
run() {
  bash "$src/scripts/autoplay.sh" --build "$build" --seed 7 -j 1 --timeout 120 "$@"
}

# 1. A forbidden message: the mission's level file is missing.
fx="$(fixture missing-level)"
replace "$fx/missions.xml" <<'XML'
<?xml version="1.0" encoding="iso-8859-1"?>
<root>
	<array id="CHAPTER1">
		<node id="MISSION1_1" mode="LEVEL" name="Nowhere" desc="A level that is not there." level="missions/nowhere.xml" />
	</array>
</root>
XML
run --native "$fx" --mission CHAPTER1:MISSION1_1 --no-campaign > "$work/1.out" 2>&1
expect "forbidden message" "$work/1.out" $? "FAIL CHAPTER1_MISSION1_1 (seed 7): forbidden message: .*Unable to load level def 'missions/nowhere.xml'"

# 2. A stall: the main menu offers nothing the player presses (the campaign process).
fx="$(fixture stall)"
sed -e "s/'Play'/'Playing'/g; s/'Extras'/'Extraz'/g; s/'Instructions'/'Instructionz'/g" \
    -e 's/"Play"/"Playing"/g; s/"Extras"/"Extraz"/g; s/"Instructions"/"Instructionz"/g' \
    "$native/ui/main-menu.lua" | replace "$fx/ui/main-menu.lua"
run --native "$fx" --no-missions --timeout 60 > "$work/2.out" 2>&1
expect "stall" "$work/2.out" $? "FAIL campaign (seed 7): forbidden message: .*AI player: nothing to press on 'MainMenu'"

# 3. A LEVEL mission at the limit: 5 game seconds end it through the loss path.
run --mission CHAPTER1:MISSION1_1 --no-campaign --limit 5 > "$work/3.out" 2>&1
expect "LEVEL mission at the limit" "$work/3.out" $? \
  "FAIL CHAPTER1_MISSION1_1 (seed 7): LEVEL mission at the limit: .*reached the limit of 5 game seconds"

# 4. A LEVEL battle lost in its own process passes (its result screen clicked); a
# campaign that wins no LEVEL battle fails. The bunker holds 10 hit points here.
fx="$(fixture weak-base)"
sed 's/\(<node id="BaseBunker" [^>]*\)hit_points="[0-9]*"/\1hit_points="1"/' "$native/entities.xml" |
  replace "$fx/entities.xml"
run --native "$fx" --mission CHAPTER1:MISSION1_1 --no-campaign > "$work/4.out" 2>&1
if [ $? != 0 ] || ! grep -q "^PASS CHAPTER1_MISSION1_1 .* LevelLost" "$work/4.out"; then
  echo "harness test: lost LEVEL battle: not a passing lost battle:"; cat "$work/4.out"; status=1
else
  echo "harness test: lost LEVEL battle: $(grep -m1 "^PASS CHAPTER1_MISSION1_1" "$work/4.out")"
fi
run --native "$fx" --no-missions > "$work/5.out" 2>&1
expect "campaign without a win" "$work/5.out" $? "FAIL campaign (seed 7): the campaign won no LEVEL battle"

# 5. The same seed plays the same game: one mission twice, side by side and alone, gives
# the same figures and the same taps (each battle starts from the run's seed; the frames
# count a fixed time, not the wall clock's). The peak memory is no part of the game.
for k in a b; do
  bash "$src/scripts/autoplay.sh" --build "$build" --seed 3 -j 1 --timeout 120 --mission CHAPTER1:MISSION1_4 \
    --no-campaign --keep "$work/same-$k" > "$work/same-$k.out" 2>&1 &
done
wait
bash "$src/scripts/autoplay.sh" --build "$build" --seed 3 -j 1 --timeout 120 --mission CHAPTER1:MISSION1_4 \
  --no-campaign --keep "$work/same-c" > "$work/same-c.out" 2>&1
taps() {
  grep -h "Touch at \|AI player: battle '" "$work/$1"/CHAPTER1_MISSION1_4/data/*/*/logs/*.log |
    grep -v "VmHWM" | sed 's/^[0-9]*: \[[0-9:.]*\] //'
}
# The wall time and its padding go: past 99.9 s the padding is a space shorter.
row() { grep -h "^PASS\|^FAIL" "$work/$1.out" | sed 's/ *[0-9.]*s wall//'; }
for k in b c; do
  : > "$work/same.diff"
  if [ -z "$(row same-a)" ] || [ "$(row same-a)" != "$(row same-$k)" ] || ! diff <(taps same-a) <(taps same-$k) > "$work/same.diff"; then
    echo "harness test: same seed, run $k: differs:"; row same-a; row same-$k; head -20 "$work/same.diff"; status=1
  else
    echo "harness test: same seed, run $k: the same $(taps same-a | grep -c "Touch at") taps and row: $(row same-a)"
  fi
done

# 6. The campaign process too, through the real menus: twice side by side, the same
# clicks, taps and battles (the frames wait while a worker loads screens).
for k in a b; do
  campaign_stop=3 bash "$src/scripts/autoplay.sh" --build "$build" --seed 3 -j 1 --timeout 120 --no-missions \
    --keep "$work/camp-$k" > "$work/camp-$k.out" 2>&1 &
done
wait
steps() {
  grep -h "AI clicked \|Touch at \|AI player: battle '" "$work/$1"/campaign/data/*/*/logs/*.log |
    grep -v "VmHWM" | sed 's/^[0-9]*: \[[0-9:.]*\] //'
}
if [ -z "$(row camp-a)" ] || [ "$(row camp-a)" != "$(row camp-b)" ] || ! diff <(steps camp-a) <(steps camp-b) > "$work/camp.diff"; then
  echo "harness test: same seed, campaign: differs:"; row camp-a; row camp-b; head -20 "$work/camp.diff"; status=1
else
  echo "harness test: same seed, campaign: the same $(steps camp-a | wc -l) steps and row: $(row camp-a)"
fi

exit $status
