#!/usr/bin/env bash
# The campaign's balance table without the test player's boosts: every LEVEL mission of
# the three chapters played headless on the built program directory by the steered and
# the passive squad (tests/game/test_campaign_balance.cpp, built as the program
# campaign_balance_table), for 8 seeds, in parallel processes. Prints one line per run
# and the table per mission, and fails when the steered squad misses a win or the
# passive squad earns more than three stars from MISSION1_3 on.
#   bash scripts/balance.sh [build dir] [-j N] [--seeds N]
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
build="$src/build"
jobs=4
seeds=8
while [ $# -gt 0 ]; do
    case "$1" in
        -j) jobs=$2; shift 2 ;;
        --seeds) seeds=$2; shift 2 ;;
        *) build=$1; shift ;;
    esac
done
bin="$build/tests/game/campaign_balance_table"
[ -x "$bin" ] || { echo "balance: $bin not built (cmake --build $build --target campaign_balance_table)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ((i = 0; i < jobs; i++)); do
    mkdir -p "$work/$i"
    (cd "$work/$i" && ORVEX_BALANCE_SEEDS=$seeds GTEST_TOTAL_SHARDS=$jobs GTEST_SHARD_INDEX=$i \
        "$bin" >"$work/$i.log" 2>&1) &
done
for job in $(jobs -p); do wait "$job" || status=1; done
grep -h '^balance:' "$work"/*.log | sort -V -k2,2 -k3,3 -k5,5 | sed 's/^balance: //'
echo
printf "%-11s %-7s %5s %6s %8s %10s\n" mission squad wins stars seconds "base lost"
# The table: per mission and squad, wins of the seeds, stars (lowest..highest), mean game
# seconds and mean base hit points lost.
grep -h '^balance:' "$work"/*.log | awk '
{ key = $2 " " $3; runs[key]++; if ($6 == "won") wins[key]++;
  s = $8; if (!(key in lo) || s < lo[key]) lo[key] = s; if (!(key in hi) || s > hi[key]) hi[key] = s;
  secs[key] += $9; base[key] += $13; }
END { for (k in runs) { split(k, p, " ");
    printf "%-11s %-7s %2d/%-2d %2d..%-2d %8.0f %9.0f%%\n", p[1], p[2], wins[k], runs[k], lo[k], hi[k],
           secs[k] / runs[k], base[k] / runs[k] } }' | sort -V
grep -h -A3 'Failure' "$work"/*.log | grep -E 'seed [0-9]+:' || true
[ $status -eq 0 ] && echo "balance: every mission balanced for $seeds seeds" || echo "balance: FAILED" >&2
exit $status
