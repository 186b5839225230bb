#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root (dpkg -x) and
# runs each installed program once; checks the desktop entry, the MIME types,
# the icons and the manual pages are there.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(scripts/package.sh | tail -1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
fail() { echo "package test: $*"; exit 1; }
for f in usr/bin/trivane usr/bin/trivane-report usr/bin/trivane-disk \
         usr/share/applications/trivane.desktop usr/share/mime/packages/trivane.xml \
         usr/share/icons/hicolor/48x48/apps/trivane.png usr/share/icons/hicolor/256x256/apps/trivane.png \
         usr/share/man/man1/trivane.1.gz usr/share/man/man1/trivane-report.1.gz \
         usr/share/man/man1/trivane-disk.1.gz; do
  [ -e "$root/$f" ] || fail "$f is missing"
done
version=$(sed -n 's/^project(Trivane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$("$root/usr/bin/trivane-report" --version)" = "trivane-report $version" ] || fail "trivane-report --version"
[ "$("$root/usr/bin/trivane-disk" --version)" = "trivane-disk $version" ] || fail "trivane-disk --version"
[ "$(env -u DISPLAY "$root/usr/bin/trivane" --version)" = "trivane $version" ] || fail "trivane --version"
"$root/usr/bin/trivane-disk" --help | grep -q "usage: trivane-disk sectors" || fail "trivane-disk --help"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q "libqt6widgets6" || fail "no dependency on Qt: $depends"
echo "package test: $(basename "$deb") installs and runs; Depends: $depends"
