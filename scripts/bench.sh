#!/usr/bin/env bash
# The end-to-end benchmark: builds it with optimisation (RelWithDebInfo, in its own build folder)
# and runs it offscreen, passing the arguments on (--case NAME, --seconds N, --warmup N).
# It prints figures and never fails on them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${KORVI_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target throughput -j2
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
exec "$build/bench/throughput" "$@"
