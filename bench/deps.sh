#!/bin/sh
# Packages the benchmarks need beyond the project's own (not part of CI): the peers (LOVE
# and SDL2 from Debian's packages), a virtual X server for the windowed runs and xdotool to
# move its pointer (the frame pacing scene), taskset (util-linux) for pinning, perf,
# valgrind and heaptrack for profiles.
set -e
apt-get update
apt-get install -y love xvfb xauth xdotool util-linux linux-perf valgrind heaptrack mesa-utils libsdl2-dev
apt-get install -y hyperfine || true
