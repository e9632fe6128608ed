#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Lays out a folder from which the clock and the editor run side by side:
#
#   scripts/layout-run-folder.sh BUILD_DIR TARGET_DIR [CLOCK_PROGRAM]
#
# TARGET_DIR receives a copy of the clock (CLOCK_PROGRAM, by default
# BUILD_DIR/clock/OrbelleDo) and of the editor (BUILD_DIR/maker/OrbelleMaker,
# where it is built). Both look for their files beside their own program
# file, so the programs are copied, not linked, and the editor's save dialog
# proposes the very tokei-set.ini the clock reads.
#
# The folder's own files are the user's: a tokei-set.ini already there (the
# face last saved from the editor, with its picture) and a Pt.ini (the
# clock's saved place, memo and alarm) are left alone. Only a folder without
# a tokei-set.ini gets the sample face: face.png and a tokei-set.ini whose
# picture line names that copy by its absolute path.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 BUILD_DIR TARGET_DIR [CLOCK_PROGRAM]" >&2
  exit 2
fi
build_dir=$1
target_dir=$2
clock=${3:-$build_dir/clock/OrbelleDo}
maker=$build_dir/maker/OrbelleMaker
sample_dir=$build_dir/sample

if [ ! -x "$clock" ]; then
  echo "$0: no clock program at $clock (build it first)" >&2
  exit 1
fi

mkdir -p "$target_dir"
target_dir=$(cd "$target_dir" && pwd)

# Each file goes in under a temporary name and is renamed into place, so a
# program still running from this folder keeps its program file intact.
put() {  # put SOURCE NAME [MODE]
  cp -f "$1" "$target_dir/.$2.new"
  chmod "${3:-644}" "$target_dir/.$2.new"
  mv -f "$target_dir/.$2.new" "$target_dir/$2"
}

put "$clock" OrbelleDo 755
if [ -x "$maker" ]; then
  put "$maker" OrbelleMaker 755
fi

if [ -e "$target_dir/tokei-set.ini" ]; then
  exit 0
fi

for f in face.png tokei-set.ini; do
  if [ ! -f "$sample_dir/$f" ]; then
    echo "$0: $sample_dir/$f is missing (build the target sample_face first)" >&2
    exit 1
  fi
done
picture=$target_dir/face.png
case $picture in
  *'"'*)
    echo "$0: the settings file cannot name a path with a double quote: $picture" >&2
    exit 1 ;;
esac
put "$sample_dir/face.png" face.png

# The design is the sample's with the picture line pointing at the copy; every
# line, the last included, keeps its CR LF.
awk -v picture="$picture" '
  NR == 2 { printf "\"%s\"\r\n", picture; next }
  { print }
' "$sample_dir/tokei-set.ini" > "$target_dir/.tokei-set.ini.new"
mv -f "$target_dir/.tokei-set.ini.new" "$target_dir/tokei-set.ini"
