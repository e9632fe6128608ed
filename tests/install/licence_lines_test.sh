#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every source file of the repository names its licence in its first lines,
# and the licence itself is there: a file added without the line fails here.
set -euo pipefail
cd "$1"
[ -f LICENSE ] && grep -q '^MIT License' LICENSE || { echo "LICENSE is missing or not the MIT licence"; exit 1; }
missing=0
while IFS= read -r -d '' f; do
  case "$f" in
    *.cpp|*.h|*.py|*.sh|*.cmake|*CMakeLists.txt|.ci/run) ;;
    *) continue ;;
  esac
  [ -f "$f" ] || continue
  if ! head -n 3 "$f" | grep -q 'SPDX-License-Identifier: MIT'; then
    echo "no licence line: $f"
    missing=1
  fi
done < <(if [ -d .git ] || [ -f .git ]; then git ls-files -z; else find . -type f -print0 | sed -z 's|^\./||'; fi)
exit "$missing"
