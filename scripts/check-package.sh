#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian package of a build with CPack and checks it as a user's
# system would take it: its file list, then (as root, where apt is present)
# an install with apt, the installed programs answering, and a removal that
# leaves nothing behind.
#
#   scripts/check-package.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
out=$build/package
rm -rf "$out"
mkdir -p "$out"
(cd "$out" && cpack --config "$build/CPackConfig.cmake" -G DEB >cpack.log) || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/orbelle_*.deb)
echo "package: $(basename "$deb")"

fail() { echo "FAIL: $*" >&2; exit 1; }

expected=(
  ./usr/bin/OrbelleDo
  ./usr/bin/OrbelleMaker
  ./usr/share/applications/org.orbelle.OrbelleDo.desktop
  ./usr/share/applications/org.orbelle.OrbelleMaker.desktop
  ./usr/share/doc/orbelle/README.md
  ./usr/share/icons/hicolor/scalable/apps/org.orbelle.OrbelleDo.svg
  ./usr/share/icons/hicolor/scalable/apps/org.orbelle.OrbelleMaker.svg
  ./usr/share/metainfo/org.orbelle.OrbelleDo.metainfo.xml
  ./usr/share/metainfo/org.orbelle.OrbelleMaker.metainfo.xml
  ./usr/share/orbelle/sample/face.png
  ./usr/share/orbelle/sample/tokei-set.ini
)
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
echo "$files"
[ "$files" = "$(printf '%s\n' "${expected[@]}" | sort)" ] || fail "the package holds other files than expected"
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for d in libqt6widgets6 qt6-qpa-plugins; do
  [[ $depends == *$d* ]] || fail "the package does not depend on $d"
done

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
  echo "not root: the install with apt is not tried"
  exit 0
fi
if dpkg-query -W -f='${Status}' orbelle 2>/dev/null | grep -q 'install ok installed'; then
  fail "a package named orbelle is installed already; remove it first"
fi
export DEBIAN_FRONTEND=noninteractive
trap 'apt-get remove -y -qq orbelle >/dev/null 2>&1 || true' EXIT
apt-get install -y -qq "$deb" >"$out/apt-install.log" 2>&1 || { cat "$out/apt-install.log"; fail "apt could not install the package"; }
[ "$(/usr/bin/OrbelleDo --version)" = "OrbelleDo $(dpkg-deb -f "$deb" Version)" ] || fail "the installed clock does not answer --version"
desktop-file-validate /usr/share/applications/org.orbelle.*.desktop
apt-get remove -y -qq orbelle >"$out/apt-remove.log" 2>&1 || { cat "$out/apt-remove.log"; fail "apt could not remove the package"; }
for f in "${expected[@]}"; do
  [ ! -e "${f#.}" ] || fail "${f#.} is still there after the removal"
done
[ ! -e /usr/share/orbelle ] || fail "/usr/share/orbelle is still there after the removal"
echo "PASSED: the package installs and removes cleanly"
