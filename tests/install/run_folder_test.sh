#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The run folder that ./run.sh lays out: both programs side by side, the
# sample face in a new folder, and a design the user saved there (with its
# picture) and the clock's state kept byte for byte by the next layout.
#
#   run_folder_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
layout=$source_dir/scripts/layout-run-folder.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

run_dir=$work/run
"$layout" "$build_dir" "$run_dir"
for f in OrbelleDo OrbelleMaker face.png tokei-set.ini; do
  [ -f "$run_dir/$f" ] || fail "a new run folder lacks $f"
done
[ -x "$run_dir/OrbelleMaker" ] || fail "the editor is not executable"
line2=$(sed -n 2p "$run_dir/tokei-set.ini")
[ "$line2" = "\"$run_dir/face.png\"$(printf '\r')" ] || fail "the sample names its picture as $line2"
cmp -s "$build_dir/sample/face.png" "$run_dir/face.png" || fail "the sample picture differs"

# What an editor save and a clock's end leave in the folder.
printf '2000,2000\r\n"mine.png"\r\n0,0\r\n#FALSE#,#TRUE#,#FALSE#\r\n' > "$run_dir/tokei-set.ini"
printf 'my own picture' > "$run_dir/mine.png"
printf 'my face picture' > "$run_dir/face.png"
printf '15,30\r\n"memo"\r\n7,0\r\n,\r\n' > "$run_dir/Pt.ini"
cp -p "$run_dir/tokei-set.ini" "$run_dir/face.png" "$run_dir/mine.png" "$run_dir/Pt.ini" "$work/"
touch -d '2001-01-01' "$run_dir/OrbelleDo"

"$layout" "$build_dir" "$run_dir"
for f in tokei-set.ini face.png mine.png Pt.ini; do
  cmp -s "$work/$f" "$run_dir/$f" || fail "the second layout changed $f"
done
cmp -s "$build_dir/clock/OrbelleDo" "$run_dir/OrbelleDo" || fail "the clock program was not brought up to date"
leftovers=$(find "$run_dir" -name '.*.new')
[ -z "$leftovers" ] || fail "temporary files left: $leftovers"
echo "PASSED: run folder laid out and kept"
