#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The end-to-end tests that run the programs as another user, run from a
# clone in a folder only its owner may enter (as a clone under /root is):
# they must not rely on other users reaching the source or build tree. The
# clone gets a build folder of its own, configured and not built but for the
# compressed documents: it takes the programs and the sample face already
# built in BUILD_DIR from this commit, as building them again would take
# minutes.
#
#   scripts/private-clone-tests.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
build=$(cd "${1:-build}" && pwd)
private=$(mktemp -d)
trap 'rm -rf "$private"' EXIT
chmod 0700 "$private"

clone=$private/orbelle
git clone --quiet "$source_dir" "$clone"
git -C "$clone" checkout --quiet --detach "$(git -C "$source_dir" rev-parse HEAD)"
cmake -S "$clone" -B "$clone/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
for built in clock/OrbelleDo maker/OrbelleMaker sample-installed/face.png sample-installed/tokei-set.ini; do
  mkdir -p "$(dirname "$clone/build/$built")"
  cp -p "$build/$built" "$clone/build/$built"
done
# The compressed changelog and manual pages the install takes: a moment's work.
cmake --build "$clone/build" --target compressed_documents >/dev/null
ctest --test-dir "$clone/build" --output-on-failure -j "$(nproc)" --timeout 300 \
  -R '^(install_e2e_.*|e2e_clock_file_faults_in_place|e2e_clock_other_users_.*)$'
