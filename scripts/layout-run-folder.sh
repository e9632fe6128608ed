#!/usr/bin/env bash
# Lays out a folder from which the clock can be started on the sample face:
#
#   scripts/layout-run-folder.sh BUILD_DIR TARGET_DIR [CLOCK_PROGRAM]
#
# TARGET_DIR receives a copy of the clock (CLOCK_PROGRAM, by default
# BUILD_DIR/clock/OrbelleDo), the sample picture face.png and a tokei-set.ini
# whose picture line names that copy by its absolute path. The clock looks for
# its files beside its own program file, so the program is copied, not linked.
# A Pt.ini already in TARGET_DIR is the clock's saved state and is left alone;
# none is created.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 BUILD_DIR TARGET_DIR [CLOCK_PROGRAM]" >&2
  exit 2
fi
build_dir=$1
target_dir=$2
clock=${3:-$build_dir/clock/OrbelleDo}
sample_dir=$build_dir/sample

if [ ! -x "$clock" ]; then
  echo "$0: no clock program at $clock (build it first)" >&2
  exit 1
fi
for f in face.png tokei-set.ini; do
  if [ ! -f "$sample_dir/$f" ]; then
    echo "$0: $sample_dir/$f is missing (build the target sample_face first)" >&2
    exit 1
  fi
done

mkdir -p "$target_dir"
target_dir=$(cd "$target_dir" && pwd)
picture=$target_dir/face.png
case $picture in
  *'"'*)
    echo "$0: the settings file cannot name a path with a double quote: $picture" >&2
    exit 1 ;;
esac

# Each file goes in under a temporary name and is renamed into place, so a
# clock still running from this folder keeps its program file intact.
put() {  # put SOURCE NAME [MODE]
  cp -f "$1" "$target_dir/.$2.new"
  chmod "${3:-644}" "$target_dir/.$2.new"
  mv -f "$target_dir/.$2.new" "$target_dir/$2"
}

put "$clock" OrbelleDo 755
put "$sample_dir/face.png" face.png

# The design is the sample's with the picture line pointing at the copy; every
# line, the last included, keeps its CR LF.
awk -v picture="$picture" '
  NR == 2 { printf "\"%s\"\r\n", picture; next }
  { print }
' "$sample_dir/tokei-set.ini" > "$target_dir/.tokei-set.ini.new"
mv -f "$target_dir/.tokei-set.ini.new" "$target_dir/tokei-set.ini"
