#!/usr/bin/env bash
# Installs what is missing, builds Kelvo with warnings as errors and runs every test suite; then
# builds the suites again with AddressSanitizer and UndefinedBehaviorSanitizer and runs them (the
# suites that drive the web engine stay out of that run).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

bash scripts/install-deps.sh

# Chromium refuses to run as root without this; the program sets it itself when it runs as root.
export QTWEBENGINE_DISABLE_SANDBOX=1

echo "== build"
bash scripts/build.sh "$here/build"
echo "== tests"
(cd build && ctest --output-on-failure --timeout 300 -j2)

echo "== sanitizer build"
bash scripts/build.sh "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKELVO_SANITIZE=ON
echo "== sanitizer tests"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure --timeout 600 -j2 -LE webengine)
