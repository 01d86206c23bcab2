#!/usr/bin/env bash
# Runs inside the fresh Debian system of scripts/test-package.sh: bash package-trial.sh KELVO.deb
# Installs the package with apt, checks that the desktop knows .lwz files and opens them with Kelvo,
# purges it and checks that nothing of it is left.
set -euo pipefail
deb=$1
export DEBIAN_FRONTEND=noninteractive
fail() { echo "package-trial: $*" >&2; exit 1; }
apt_quiet() { apt-get -y -qq -o=Dpkg::Use-Pty=0 "$@"; }

# Every file outside the package manager's own records and the student's home, with its checksum;
# links with their targets.
snapshot() {
  find / -xdev \( -path /proc -o -path /dev -o -path /sys -o -path /run -o -path /tmp -o -path /home \
    -o -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/cache -o -path /var/log \) -prune \
    -o \( -type f -exec md5sum {} + \) -o \( -type l -printf '%p -> %l\n' \) -o -printf '%y %p\n' |
    LC_ALL=C sort
}
lwz_type() { as_student gio info --attributes=standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }

apt_quiet update
# A student's account: the desktop's programs run as one, not as root.
id student >/dev/null 2>&1 || useradd --create-home student
as_student() { runuser -u student -- env HOME=/home/student TMPDIR=/tmp "$@"; }
# The libraries the package's Depends name, and only those: the program must run with them.
apt_quiet satisfy --no-install-recommends "$(dpkg-deb --field "$deb" Depends)" >/dev/null
snapshot >/tmp/before

echo "-- install"
apt_quiet install --no-install-recommends "$deb" >/tmp/install.log || { cat /tmp/install.log; fail "apt cannot install the package"; }
snapshot >/tmp/installed
cmp -s /tmp/before /tmp/installed && fail "the snapshot does not see the installed package"

# dpkg's triggers refreshed the MIME and desktop databases.
[ -f /usr/share/mime/application/x-kelvo-labwork.xml ] || fail "the MIME database does not know application/x-kelvo-labwork"
grep -qx 'application/x-kelvo-labwork=kelvo.desktop;' /usr/share/applications/mimeinfo.cache ||
  fail "the desktop database does not name kelvo.desktop for application/x-kelvo-labwork"

lab="/home/student/Закон Ома.lwz"
as_student cp /usr/share/kelvo/demo.lwz "$lab"
type=$(lwz_type "$lab")
[ "$type" = application/x-kelvo-labwork ] || fail "a .lwz file is of type '$type'"
default=$(as_student xdg-mime query default application/x-kelvo-labwork)
[ "$default" = kelvo.desktop ] || fail "xdg-mime opens .lwz files with '$default'"
echo "$lab: $type, opened by $default"

as_student man -P cat kelvo 2>/dev/null | grep -q -- '--check PATH' || fail "man kelvo does not show the command-line forms"
as_student kelvo --version

echo "-- open"
# No display here: the program draws off screen; in a chroot the web engine's sandbox cannot start.
as_student QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 gio open "$lab" 2>/tmp/gio.log || { cat /tmp/gio.log; fail "gio open fails"; }
pid=
for _ in $(seq 1 120); do
  for exe in /proc/[0-9]*/exe; do
    if [ "$(readlink "$exe" 2>/dev/null)" = /usr/libexec/kelvo/kelvo ]; then
      pid=${exe#/proc/}
      pid=${pid%/exe}
    fi
  done
  # Started on this package: its run folder holds the unpacked descriptor.
  if [ -n "$pid" ] && ls /tmp/vemratmp-*/labwork.lbw >/dev/null 2>&1; then break; fi
  sleep 0.5
done
[ -n "$pid" ] || fail "gio open did not start kelvo"
tr '\0' ' ' </proc/"$pid"/cmdline | grep -qF "$lab" || fail "kelvo started without the package: $(tr '\0' ' ' </proc/"$pid"/cmdline)"
ls /tmp/vemratmp-*/labwork.lbw >/dev/null 2>&1 || fail "kelvo did not unpack the package"
echo "kelvo (process $pid) plays $lab"
# The viewer's web engine is a library of its own, loaded once the menu has painted.
for _ in $(seq 1 60); do grep -q '/kelvo/libkelvo-engine\.so$' /proc/"$pid"/maps && break; sleep 0.5; done
grep -q '/kelvo/libkelvo-engine\.so$' /proc/"$pid"/maps || fail "kelvo did not load its web engine library"
kill -TERM "$pid"
for _ in $(seq 1 60); do [ -d /proc/"$pid" ] || break; sleep 0.5; done
[ ! -d /proc/"$pid" ] || fail "kelvo does not end on SIGTERM"
if ls -d /tmp/vemratmp-* >/dev/null 2>&1; then fail "kelvo left its run folder behind: $(ls -d /tmp/vemratmp-*)"; fi

echo "-- purge"
apt_quiet purge kelvo >/tmp/purge.log || { cat /tmp/purge.log; fail "apt cannot remove the package"; }
type=$(lwz_type "$lab")
[ "$type" != application/x-kelvo-labwork ] || fail "the MIME database still knows .lwz files after the purge"
snapshot >/tmp/after
if ! diff /tmp/before /tmp/after >/tmp/left; then
  cat /tmp/left
  fail "the purge left the system different from before the install"
fi
echo "package-trial: installed, opened, purged; nothing left"
