#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, lays out build/run with the clock and the
# sample face, and starts the clock there. Works from any current folder.
set -euo pipefail

cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")"
root=$(pwd)
build=$root/build
run_dir=$build/run

scripts/install-deps.sh

if [ -f "$build/CMakeCache.txt" ]; then
  # Keep the generator and build type the folder was first configured with.
  cmake -S . -B "$build"
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# Only what the run needs: the tests are built by ./test.sh.
cmake --build "$build" --parallel "$(nproc)" --target OrbelleDo OrbelleMaker sample_face

# A Pt.ini already in the run folder holds the clock's saved place, memo and
# alarm; the layout keeps it.
scripts/layout-run-folder.sh "$build" "$run_dir"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<MSG

No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set), so the
clock cannot be shown here. Everything is built and laid out in
  $run_dir

To try it on a virtual X server, with a tray host for its notification icon:
  Xvfb :99 -screen 0 1024x768x24 -nolisten tcp &
  DISPLAY=:99 trayer &
  DISPLAY=:99 $run_dir/OrbelleDo &
and take a look at the screen with
  DISPLAY=:99 import -window root screen.png
MSG
  exit 1
fi

cd "$run_dir"
exec ./OrbelleDo
