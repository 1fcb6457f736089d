#!/bin/sh
# Packages the benchmarks need beyond the project's own (not part of CI): the LOVE
# engine, a virtual X server for the peers' windows, perf and valgrind for profiles.
set -e
apt-get update
apt-get install -y love xvfb xauth linux-perf valgrind mesa-utils libsdl2-dev
apt-get install -y hyperfine || true
