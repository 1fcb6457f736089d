# Sourced by the test scripts. parallel_each JOBS FUNCTION ITEM...: runs "FUNCTION ITEM" for
# every item, JOBS at a time, each with its own output file; then prints every output in the
# items' order (so the log reads as if they ran one after another) and returns 1 when any of
# them failed.
parallel_each() {
  local jobs=$1 fn=$2
  shift 2
  local out i=0 running=0 status=0 item
  out=$(mktemp -d "${TMPDIR:-/tmp}/parallel-each-XXXXXX")
  for item in "$@"; do
    if [ "$running" -ge "$jobs" ]; then
      wait -n || status=1
      running=$((running - 1))
    fi
    "$fn" "$item" > "$out/$i" 2>&1 &
    running=$((running + 1))
    i=$((i + 1))
  done
  while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
  done
  for ((i = 0; i < $#; i++)); do cat "$out/$i"; done
  rm -rf "$out"
  return $status
}
