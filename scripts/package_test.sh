#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root (dpkg -x) and
# runs each installed program once; checks the desktop entry, the MIME types,
# the icons, the manual pages, the copyright and changelog are there, that
# lintian finds no error or warning, and that a .dsk file is typed by its
# bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(scripts/package.sh | tail -1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
fail() { echo "package test: $*"; exit 1; }
for f in usr/bin/trivane usr/bin/trivane-report usr/bin/trivane-disk usr/bin/trivane-shelf \
         usr/share/applications/trivane.desktop usr/share/mime/packages/trivane.xml \
         usr/share/icons/hicolor/48x48/apps/trivane.png usr/share/icons/hicolor/256x256/apps/trivane.png \
         usr/share/man/man1/trivane.1.gz usr/share/man/man1/trivane-report.1.gz \
         usr/share/man/man1/trivane-disk.1.gz usr/share/man/man1/trivane-shelf.1.gz; do
  [ -e "$root/$f" ] || fail "$f is missing"
done
version=$(sed -n 's/^project(Trivane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$("$root/usr/bin/trivane-report" --version)" = "trivane-report $version" ] || fail "trivane-report --version"
[ "$("$root/usr/bin/trivane-disk" --version)" = "trivane-disk $version" ] || fail "trivane-disk --version"
[ "$("$root/usr/bin/trivane-shelf" --version)" = "trivane-shelf $version" ] || fail "trivane-shelf --version"
[ "$(env -u DISPLAY "$root/usr/bin/trivane" --version)" = "trivane $version" ] || fail "trivane --version"
# The help is read whole before it is searched: grep -q stops at its first
# match, and under pipefail the program's broken pipe would fail the test.
help=$("$root/usr/bin/trivane-disk" --help) || fail "trivane-disk --help exits with $?"
grep -q "usage: trivane-disk sectors" <<<"$help" || fail "trivane-disk --help"
[ -e "$root/usr/share/doc/trivane/copyright" ] || fail "no copyright file"
[ -e "$root/usr/share/doc/trivane/changelog.gz" ] || fail "no changelog"

# Debian's checks: no error and no warning.
scripts/deps.sh lintian libglib2.0-bin shared-mime-info
lint=$(lintian "$deb" 2>&1 | grep -E '^[EW]: ' || true)
[ -z "$lint" ] || fail "lintian: $lint"

# A .dsk file is typed by its bytes: JV1, JV3 and DMK samples all named .dsk.
cmake --build build-package --target make-images >/dev/null
samples="$root/samples"
build-package/make-images samples "$samples" >/dev/null
mkdir -p "$root/mime/mime/packages"
cp "$root/usr/share/mime/packages/trivane.xml" "$root/mime/mime/packages/"
update-mime-database "$root/mime/mime" >/dev/null 2>&1
for pair in jv1-35track.dsk:jv1 jv3-sssd.dsk:jv3 dmk-sssd.dmk:dmk dos-ldos.dmk:dmk; do
  cp "$samples/${pair%%:*}" "$root/as.dsk"
  type=$(XDG_DATA_HOME="$root/mime" gio info -a standard::content-type "$root/as.dsk" 2>/dev/null |
         sed -n 's/.*content-type: //p')
  [ "$type" = "application/x-trs80-${pair##*:}" ] || fail "${pair%%:*} as .dsk is $type"
done

# The windows open tapes: the desktop entry offers them.
grep -q "^MimeType=.*application/x-trs80-cas;" "$root/usr/share/applications/trivane.desktop" ||
  fail "the desktop entry does not offer CAS tapes"

# The description and the manual pages name the containers from their rows.
dpkg-deb -f "$deb" Description | grep -q "IMD, SCP and KryoFlux" ||
  fail "the description does not name the containers: $(dpkg-deb -f "$deb" Description)"
zcat "$root/usr/share/man/man1/trivane.1.gz" | grep -q "SCP or KryoFlux, or a Reed hard disk" ||
  fail "trivane(1) does not name the containers"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q "libqt6widgets6" <<<"$depends" || fail "no dependency on Qt: $depends"
echo "package test: $(basename "$deb") installs and runs; Depends: $depends"
