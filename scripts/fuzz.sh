#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang's libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on), runs each for the given number of seconds (default 60) on a
# corpus kept in the build folder and seeded from the demo files, and prints the executions and
# findings of each. Fails when any target found an input that breaks it; the input is kept in
# <build>/findings until the next run (reproduce with <build>/fuzz/<target> <input>).
#   scripts/fuzz.sh            # a minute per target
#   scripts/fuzz.sh 15         # the short run of the test script
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
seconds=${1:-60}
build=${KORVI_FUZZ_BUILD:-build-fuzz}
targets=(fuzz_line_protocol fuzz_ini_file fuzz_draw_setting fuzz_layout_file fuzz_number_text
         fuzz_wav_file)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKORVI_FUZZ=ON -DKORVI_WERROR=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target "${targets[@]}" -j2

seed() {  # seed <target> <file or text>...
  local dir="$build/corpus/$1"
  shift
  mkdir -p "$dir"
  for s in "$@"; do
    if [ -f "$s" ]; then cp "$s" "$dir/"; else printf '%b' "$s" >"$dir/seed-$(printf '%s' "$s" | md5sum | cut -c1-8)"; fi
  done
}
seed fuzz_line_protocol '\x03r05\r\nd0FF1234AB\r\nd1\r\nxyz\r\n' '\x07dF80FFFFF\r\r\n\nd0'
seed fuzz_ini_file demo/Setting.ini demo/DrawSetting1.ini demo/DrawSetting2.ini
seed fuzz_draw_setting demo/DrawSetting1.ini demo/DrawSetting2.ini
seed fuzz_layout_file demo/DemoLayout.lay
seed fuzz_number_text '&H8000000F' '-32768' ' 12 ' '1F-2A' '&HFFFFFFFF'
seed fuzz_wav_file demo/Sound/*.wav

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# Findings of an earlier run are replaced by those of this one.
rm -rf "$build/findings"
mkdir -p "$build/findings" "$build/logs"
failed=0
printf '%-20s %12s %9s\n' target executions findings
for t in "${targets[@]}"; do
  log="$build/logs/$t.log"
  status=0
  "$build/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/findings/$t-" "$build/corpus/$t" >"$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  found=$(find "$build/findings" -name "$t-*" | wc -l)
  printf '%-20s %12s %9s\n' "$t" "$runs" "$found"
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    echo "  $t stopped with status $status; see $log and $build/findings/" >&2
    grep -m3 -E 'broken:|ERROR:|SUMMARY' "$log" >&2 || true
  fi
done
exit "$failed"
