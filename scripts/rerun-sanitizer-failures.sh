#!/usr/bin/env bash
# Runs the tests that failed in the last CTest run of a sanitizer build directory again,
# one at a time. A test passes when it passes again, or when its only fault was
# LeakSanitizer's own crash ("LeakSanitizer has encountered a fatal error", no leak
# reported) and it then passes without the leak check. Anything else fails.
set -uo pipefail
dir="$1"
list="$dir/Testing/Temporary/LastTestsFailed.log"
[ -f "$list" ] || { echo "no failed tests listed in $list"; exit 1; }
status=0
while IFS=: read -r _ name; do
  [ -n "$name" ] || continue
  # Parameterised test names hold '/' (not a file name) and may hold regex characters.
  log="$dir/rerun-${name//\//_}.log"
  pattern="^$(printf '%s' "$name" | sed 's/[][\.*^$+?(){}|]/\\&/g')\$"
  if ctest --test-dir "$dir" -R "$pattern" --output-on-failure > "$log" 2>&1; then
    echo "rerun: $name passed"
    continue
  fi
  if grep -q "LeakSanitizer has encountered a fatal error" "$log" &&
     ! grep -q "ERROR: LeakSanitizer: detected memory leaks" "$log" &&
     ASAN_OPTIONS=detect_leaks=0 ctest --test-dir "$dir" -R "$pattern" --output-on-failure >> "$log" 2>&1; then
    echo "rerun: $name passed; LeakSanitizer's tracer crashed at its exit"
    continue
  fi
  cat "$log"
  echo "rerun: $name failed"
  status=1
done < "$list"
exit $status
