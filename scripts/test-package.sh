#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), checks what it holds and what cmake --install makes
# of the same build, and tries the package as a school's machine would: in a fresh
# Debian system (a chroot made by mmdebstrap from the machine's own Debian apt sources, cached as
# build-package/debian-base.tar), apt installs the package with the libraries its Depends name and
# nothing else; a .lwz file is then of type application/x-kelvo-labwork, the desktop opens it with
# Kelvo ("gio open" starts the program, which unpacks the package), "man kelvo" shows the
# command-line forms; apt purges the package and the system is file for file as before.
# Needs root (or sudo) for the chroot. Usage: scripts/test-package.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
work=${1:-"$here/build-package"}
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

bash scripts/package.sh "$work"
deb=$(ls "$work"/kelvo_*.deb)

echo "== package contents"
contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
missing=0
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for path in /usr/bin/kelvo /usr/libexec/kelvo/kelvo /usr/libexec/kelvo/license.txt \
  "/usr/lib/$multiarch/kelvo/libkelvo-engine.so" \
  /usr/share/applications/kelvo.desktop /usr/share/mime/packages/kelvo-lwz.xml \
  /usr/share/metainfo/org.kelvo.Kelvo.metainfo.xml /usr/share/man/man1/kelvo.1.gz \
  /usr/share/doc/kelvo/copyright /usr/share/doc/kelvo/changelog.gz /usr/share/kelvo/demo.lwz \
  /usr/share/doc/kelvo/examples/README.md /usr/share/icons/hicolor/scalable/apps/kelvo.svg \
  /usr/share/icons/hicolor/scalable/mimetypes/application-x-kelvo-labwork.svg \
  /usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/kelvo.png; do
  if ! grep -qxF "$path" <<<"$contents"; then
    echo "test-package: $deb lacks $path" >&2
    missing=1
  fi
done
[ "$missing" -eq 0 ]
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
# The benchmarks' build of the program (with the driver that passes every chapter) stays out, and
# the program itself reads none of their variables.
if grep -i bench <<<"$contents" || grep -qF KELVO_BENCH "$unpacked/usr/libexec/kelvo/kelvo"; then
  echo "test-package: $deb holds the benchmarks' trace or driver" >&2
  exit 1
fi
for side in 16 24 32 48 64 128 256; do
  size=$(identify -format '%wx%h' "$unpacked/usr/share/icons/hicolor/${side}x${side}/apps/kelvo.png")
  [ "$size" = "${side}x${side}" ] || { echo "test-package: the ${side}px icon is $size" >&2; exit 1; }
done
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.kelvo.Kelvo.metainfo.xml"
desktop-file-validate "$unpacked/usr/share/applications/kelvo.desktop"
echo "Depends: $(dpkg-deb --field "$deb" Depends)"

echo "== cmake --install"
# Into a folder the desktop reads, the install ends with the MIME and desktop databases made; into
# any other, it leaves them alone and says what to run.
for place in read private; do
  prefix="$unpacked/prefix-$place"
  data_dirs=/usr/local/share:/usr/share
  [ "$place" = read ] && data_dirs="$prefix/share:$data_dirs"
  XDG_DATA_DIRS=$data_dirs XDG_DATA_HOME="$unpacked/home" cmake --install "$work" --prefix "$prefix" >"$unpacked/install.log"
  if [ "$place" = read ]; then
    [ -f "$prefix/share/mime/application/x-kelvo-labwork.xml" ] &&
      grep -qx 'application/x-kelvo-labwork=kelvo.desktop;' "$prefix/share/applications/mimeinfo.cache" ||
      { cat "$unpacked/install.log"; echo "test-package: cmake --install left the databases stale" >&2; exit 1; }
  else
    [ ! -e "$prefix/share/mime/mime.cache" ] && [ ! -e "$prefix/share/applications/mimeinfo.cache" ] &&
      grep -q "update-mime-database $prefix/share/mime" "$unpacked/install.log" ||
      { cat "$unpacked/install.log"; echo "test-package: cmake --install into a private prefix" >&2; exit 1; }
  fi
done
echo "the databases are made where the desktop reads them, and named elsewhere"

echo "== Debian system for the trial"
base="$work/debian-base.tar"
if [ ! -s "$base" ]; then
  # The machine's own Debian sources (the release it runs, its updates and security suites).
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  mapfile -t sources < <(apt-get indextargets --format '$(REPO_URI) $(CODENAME)' \
    'Identifier: Packages' 'Origin: Debian' | sort -u | awk '{ print "deb " $1 " " $2 " main" }')
  [ ${#sources[@]} -gt 0 ] || { echo "test-package: no Debian apt sources on this machine" >&2; exit 1; }
  # What a desktop brings: the MIME and desktop databases with their dpkg triggers, gio, xdg-utils, man.
  rm -f "$base.part"
  as_root mmdebstrap --quiet --mode=root --variant=apt --format=tar --skip=cleanup/apt/lists \
    --include=shared-mime-info,desktop-file-utils,libglib2.0-bin,xdg-utils,man-db \
    "$codename" "$base.part" "${sources[@]}"
  mv "$base.part" "$base"
fi

root=$(mktemp -d "$work/trial.XXXXXX")
cleanup() {
  # The mounts lived in the trial's own mount namespace, gone with it: nothing of the host is below.
  as_root rm -rf --one-file-system "$root"
  rm -rf "$unpacked"
}
trap cleanup EXIT
as_root tar -xf "$base" -C "$root"
mkdir -p "$work/apt-archives/partial"
as_root cp /etc/resolv.conf "$root/etc/resolv.conf"
as_root cp "$deb" "$root/tmp/kelvo.deb"
as_root cp "$here/scripts/package-trial.sh" "$root/tmp/package-trial.sh"

echo "== trial"
started=$SECONDS
# Downloaded packages are kept in build-package/apt-archives for the next run.
as_root unshare --mount --propagation private -- bash -c '
  set -e
  root=$1
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount --bind "$2" "$root/var/cache/apt/archives"
  exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    bash /tmp/package-trial.sh /tmp/kelvo.deb
' _ "$root" "$work/apt-archives"
echo "test-package: trial passed in $((SECONDS - started)) s"
