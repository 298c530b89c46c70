#!/usr/bin/env bash
# The demo: builds the program and the controller simulator, copies the bundled demo settings (with
# the demo layout DemoLayout.lay) to a fresh folder, starts the simulator on a pseudo-terminal with
# a lively pattern, and starts the program on that folder pointed at it. Load the layout with
# "センサ配置読込" and click "通信開始" to see the presses.
# Without a display (no DISPLAY/WAYLAND_DISPLAY) it runs under Xvfb instead: the demo driver loads
# the layout, starts communication and CSV recording by itself, and leaves screenshots and the
# recording in the folder it names at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${KORVI_DEMO_BUILD:-build-demo}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target korvisensor korvi-sim korvi-demo-driver

run=${KORVI_DEMO_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/korvi-demo.XXXXXX")}
mkdir -p "$run"
cp -r demo/. "$run/"
link="$run/ttyKORVI"
rm -f "$link"
# Readings only for the sensors the demo layout places (1 to 6; sensor 3 is merged into sensor 1).
"$build/sim/korvi-sim" --pattern lively --sensors 0-5 --rate 120 --link "$link" \
  >"$run/sim.out" 2>"$run/sim.log" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
[ -e "$link" ] || { echo "the simulator did not start; see $run/sim.log" >&2; exit 1; }
# Point the settings at the simulator's pseudo-terminal.
sed -i "s|^\[Com_Setting\]\r\?$|&\nDevice=$link|" "$run/Setting.ini"

export KORVISENSOR_HOME="$run"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "KorviSensor on $run (simulator at $(head -n1 "$run/sim.out"))."
  echo "Click センサ配置読込 and open $run/DemoLayout.lay, then click 通信開始 to start."
  "$build/app/korvisensor"
else
  out="$run/out"
  echo "No display: running under Xvfb; screenshots and the CSV recording go to $out"
  xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
    "$build/app/korvi-demo-driver" "$out" "${KORVI_DEMO_SECONDS:-6}"
  echo "Done. Screenshots and KorviData.csv are in $out"
  ls -l "$out"
fi
