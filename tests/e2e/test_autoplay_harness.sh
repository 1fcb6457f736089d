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

# 3. A lost LEVEL mission: a limit of 5 game seconds ends it through the loss path.
run --mission CHAPTER1:MISSION1_1 --no-campaign --limit 5 > "$work/3.out" 2>&1
expect "lost LEVEL mission" "$work/3.out" $? "FAIL CHAPTER1_MISSION1_1 (seed 7): LEVEL mission lost: .*ended with 'LevelLost'"

exit $status
