#!/usr/bin/env bash
# Installs what is missing, builds Kelvo with warnings as errors and runs every test suite; builds
# the Debian package and tries it in a fresh Debian system (scripts/test-package.sh); then
# builds the suites again with AddressSanitizer and UndefinedBehaviorSanitizer and runs them (the
# suites that drive the web engine stay out of that run); then builds the fuzz targets with clang
# and runs each for a bounded time on its seed corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

bash scripts/install-deps.sh

echo "== format"
bash scripts/check-format.sh

# Chromium refuses to run as root without this; the program sets it itself when it runs as root.
export QTWEBENGINE_DISABLE_SANDBOX=1

# The tests build apart from the demo's build/ (a Debug build compiles faster) and are run in two
# groups: the window tests drive the real program through an X server with xdotool, one at a
# time. They are run once: a test waits for the state it needs, and an event the program drops
# is a fault of the program.
echo "== build"
bash scripts/build.sh "$here/build-test" -DCMAKE_BUILD_TYPE=Debug
echo "== tests"
(cd build-test && ctest --output-on-failure --timeout 300 -j2 -LE e2e)
echo "== window tests"
(cd build-test && ctest --output-on-failure --timeout 300 -L e2e)

echo "== Debian package"
bash scripts/test-package.sh

echo "== sanitizer build"
bash scripts/build.sh "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKELVO_SANITIZE=ON
echo "== sanitizer tests"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure --timeout 600 -j2 -LE webengine)

echo "== fuzz build"
fuzz_targets=()
for source in fuzz/fuzz_*.cpp; do
  fuzz_targets+=("$(basename "$source" .cpp)")
done
# Cached compilations serve other clones of the sources too: paths relative to the clone, in the
# debug information as well.
CCACHE_BASEDIR="$here" CC=clang CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fdebug-prefix-map=$here=." \
  -DKELVO_FUZZ=ON -DKELVO_BUILD_TESTS=OFF >/dev/null
CCACHE_BASEDIR="$here" cmake --build "$here/build-fuzz" --target "${fuzz_targets[@]}"
echo "== fuzz"
# About a minute in all; a crash, a hang, a leak or a sanitizer report fails the run.
unset ASAN_OPTIONS UBSAN_OPTIONS
bash fuzz/run-fuzzers.sh "$here/build-fuzz" 15
