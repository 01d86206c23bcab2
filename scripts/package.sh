#!/usr/bin/env bash
# Builds the Debian package of Kelvo: build-package/kelvo_VERSION_ARCH.deb (the program and the demo,
# built with Debian's compiler and linker flags, no test suites), then checks it with lintian.
# Usage: scripts/package.sh [BUILD_DIR]   (default build-package/)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
build=${1:-"$here/build-package"}

bash scripts/install-deps.sh

# Debian's hardening: fortified functions, stack protector, read-only relocations, bind now.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

export CCACHE_BASEDIR="$here"
# Configured for /usr, the program's libraries go to Debian's multiarch folder (lib/<triplet>/kelvo).
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DKELVO_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build"
rm -f "$build"/kelvo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kelvo_*.deb)

# Errors fail the build; warnings are shown.
if ! lintian --fail-on error "$deb"; then
  echo "package: lintian finds errors in $deb" >&2
  exit 1
fi
echo "package: $deb"
