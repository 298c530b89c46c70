#!/usr/bin/env bash
# Builds the Debian package from a Release build, lists its contents, runs lintian (no errors
# allowed) and the desktop-entry and AppStream validators, unpacks it into a temporary root and
# starts the unpacked program under Xvfb as a new user (empty home, no KORVISENSOR_HOME): the first
# start makes the user's folder from the demo settings and shows the main window, the second reuses
# the folder. The screen checks are the PackageScreenshot case of the app tests, built in the test
# build folder (scripts/test.sh builds it first; here it is built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
pkgbuild=${KORVI_PACKAGE_BUILD:-build-package}
testbuild=${KORVI_TEST_BUILD:-build-test}

cmake -S . -B "$pkgbuild" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVI_WERROR=ON >/dev/null
cmake --build "$pkgbuild" --target korvisensor korvi-sim korvi_gzipped_docs
rm -f "$pkgbuild"/korvisensor_*.deb
(cd "$pkgbuild" && cpack -G DEB >/dev/null)
deb=$(ls "$pkgbuild"/korvisensor_*_"$(dpkg --print-architecture)".deb)
echo "== $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
echo "== contents"
dpkg-deb --contents "$deb" | awk '{print $1, $6}'

for path in ./usr/bin/korvisensor ./usr/bin/korvi-sim ./usr/share/korvisensor/demo/Setting.ini \
            ./usr/share/korvisensor/demo/DemoLayout.lay \
            ./usr/share/applications/org.korvisensor.KorviSensor.desktop \
            ./usr/share/icons/hicolor/scalable/apps/korvisensor.svg \
            ./usr/share/metainfo/org.korvisensor.KorviSensor.metainfo.xml \
            ./usr/share/man/man1/korvisensor.1.gz ./usr/share/man/man1/korvi-sim.1.gz \
            ./usr/share/korvisensor/web/viewer.html \
            ./usr/share/doc/korvisensor/copyright ./usr/lib/udev/rules.d/60-korvisensor.rules; do
  dpkg-deb --contents "$deb" | awk '{print $6}' | grep -qx "$path" \
    || { echo "missing from the package: $path" >&2; exit 1; }
done

echo "== lintian"
# Errors fail the check; warnings are shown.
status=0
report=$(lintian --fail-on error "$deb" 2>&1) || status=$?
grep -v 'running with root privileges' <<<"$report" || true
[ "$status" -eq 0 ] || { echo "lintian reports errors" >&2; exit 1; }

root=$(mktemp -d "${TMPDIR:-/tmp}/korvi-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/org.korvisensor.KorviSensor.desktop"
if command -v appstreamcli >/dev/null; then
  echo "== appstreamcli validate"
  appstreamcli validate --no-net "$root/usr/share/metainfo/org.korvisensor.KorviSensor.metainfo.xml"
fi

echo "== the unpacked program under Xvfb"
if [ ! -x "$testbuild/tests/app/app_tests" ]; then
  cmake -S . -B "$testbuild" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVI_SANITIZE=ON \
    -DKORVI_WERROR=ON >/dev/null
fi
cmake --build "$testbuild" --target app_tests
shots="$pkgbuild/screenshots"
mkdir -p "$shots"
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} \
  KORVI_INSTALLED_ROOT="$root" KORVI_SCREENSHOT_DIR="$shots" \
  xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  "$testbuild/tests/app/app_tests" --gtest_filter='PackageScreenshot.*' | tee "$shots/run.log"
# A skipped case (no X server, no unpacked tree) must not pass for a checked one.
grep -q '^\[  PASSED  \] 1 test' "$shots/run.log" || { echo "the screen check did not run" >&2; exit 1; }
echo "== package check passed; screenshots in $shots"
