#!/usr/bin/env bash
# Builds the program with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors,
# checks the formatting, runs every test through ctest, then builds and checks the Debian package
# (scripts/package-check.sh; KORVI_SKIP_PACKAGE=1 leaves it out), and runs the fuzz targets for
# 15 s each (scripts/fuzz.sh; KORVI_FUZZ_SECONDS sets another time).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${KORVI_TEST_BUILD:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVI_SANITIZE=ON -DKORVI_WERROR=ON >/dev/null
cmake --build "$build"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j2 "$@"
if [ "${KORVI_SKIP_PACKAGE:-0}" != 1 ]; then
  KORVI_TEST_BUILD="$build" bash scripts/package-check.sh
fi
# The parsers under libFuzzer for a short while (15 s each); scripts/fuzz.sh N runs them longer.
bash scripts/fuzz.sh "${KORVI_FUZZ_SECONDS:-15}"
