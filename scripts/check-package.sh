#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Brings a build up to date, makes its Debian package with CPack and checks
# it as Debian and a user's system would take it: its file list, what it
# depends on and recommends, Debian's package checker lintian (no error and
# no warning; informational tags are shown), then (as root, where apt is
# present) an install with apt, the installed programs and manual pages
# answering, and a removal that leaves nothing behind.
#
#   scripts/check-package.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
cmake --build "$build"
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
  ./usr/share/doc/orbelle/changelog.gz
  ./usr/share/doc/orbelle/copyright
  ./usr/share/icons/hicolor/scalable/apps/org.orbelle.OrbelleDo.svg
  ./usr/share/icons/hicolor/scalable/apps/org.orbelle.OrbelleMaker.svg
  ./usr/share/man/man1/OrbelleDo.1.gz
  ./usr/share/man/man1/OrbelleMaker.1.gz
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
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "recommends: $recommends"
for r in "fonts-noto-cjk | fonts-ipafont-gothic" qt6-translations-l10n sound-theme-freedesktop qt6-wayland; do
  [[ $recommends == *"$r"* ]] || fail "the package does not recommend $r"
done

echo "== lintian"
command -v lintian >/dev/null || fail "lintian is not installed (scripts/install-deps.sh installs it)"
# Informational tags are shown but pass; an error or a warning fails.
lintian --info --display-info --fail-on error,warning "$deb" | tee "$out/lintian.log" ||
  fail "lintian reports errors or warnings on $(basename "$deb")"
if grep -q '^[EW]: ' "$out/lintian.log"; then
  fail "lintian reports errors or warnings on $(basename "$deb")"
fi
echo "lintian: no error and no warning"

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
# Slim system images tell dpkg to leave manual pages out.
if grep -qs '^path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/*; then
  echo "this system leaves manual pages out: man is not asked"
else
  for page in OrbelleDo OrbelleMaker; do
    man -w "$page" >/dev/null 2>&1 || fail "man does not find the installed page of $page"
  done
fi
apt-get remove -y -qq orbelle >"$out/apt-remove.log" 2>&1 || { cat "$out/apt-remove.log"; fail "apt could not remove the package"; }
for f in "${expected[@]}"; do
  [ ! -e "${f#.}" ] || fail "${f#.} is still there after the removal"
done
[ ! -e /usr/share/orbelle ] || fail "/usr/share/orbelle is still there after the removal"
echo "PASSED: the package installs and removes cleanly"
