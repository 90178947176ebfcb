#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, runs clang-tidy over
# the program's sources and every test through CTest: the normal build, then
# the AddressSanitizer + UndefinedBehaviorSanitizer build, then the timer tests
# under ThreadSanitizer.  Any format difference or tidy finding fails the run.
# Needs no display: widget tests run on Qt's offscreen platform.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

echo "== Format (clang-format)"
(cd "$here" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror)

echo "== Normal build"
bash "$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd "$here/build" && ctest --output-on-failure -j "$jobs")

echo "== clang-tidy (src, sim, app)"
run-clang-tidy -quiet -j "$jobs" -p "$here/build" "^$here/(src|sim|app)/.*\\.cpp\$"

echo "== Debian package"
rm -f "$here"/build/gang-adapter_*.deb
(cd "$here/build" && cpack -G DEB)
deb="$(ls "$here"/build/gang-adapter_*.deb)"
dpkg-deb -c "$deb"
# Debian's own checks of the package: an error fails the run, the warnings
# are shown.
lintian_out="$(lintian "$deb" || true)"
echo "$lintian_out"
if grep -q '^E:' <<<"$lintian_out"; then
  echo "lintian found errors in $deb" >&2
  exit 1
fi
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
"$unpacked/usr/bin/gang-adapter-sim" --help > /dev/null
"$unpacked/usr/bin/gang-adapter" --help > /dev/null
if [ -x "$unpacked/usr/bin/gang-adapter-cli" ]; then
  "$unpacked/usr/bin/gang-adapter-cli" --version
  "$unpacked/usr/bin/gang-adapter-cli" --sim types
fi

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
bash "$here/scripts/build.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DGANG_SANITIZE=ON -DGANG_BENCH=OFF
(cd "$here/build-asan" && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j "$jobs")

echo "== ThreadSanitizer build (timer)"
BUILD_TARGET=timer_tests bash "$here/scripts/build.sh" "$here/build-tsan" -DCMAKE_BUILD_TYPE=Debug -DGANG_TSAN=ON -DGANG_BENCH=OFF
(cd "$here/build-tsan" && TSAN_OPTIONS="halt_on_error=1 suppressions=$here/tests/timer/tsan.supp" ctest --output-on-failure -R '^timer_tests\.')
