#!/usr/bin/env bash
# Builds the game and runs it from the player's run folder,
# ${XDG_DATA_HOME:-~/.local/share}/orvex-game, where app/native points at the built
# program directory (res://) and ./data holds the player's files (user://), so they
# survive rebuilds. Arguments are passed on (--headless runs without a display).
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
bash "$src/scripts/deps.sh"

# The game's own build: the program, its data, the generated fonts and music (no tests).
build="$src/build-game"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_TESTS=OFF -DORVEX_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

run_dir="${XDG_DATA_HOME:-$HOME/.local/share}/orvex-game"
mkdir -p "$run_dir/app"
ln -sfn "$build/app/native" "$run_dir/app/native"
cd "$run_dir"
exec "$build/entry/orvex-game" "$@"
