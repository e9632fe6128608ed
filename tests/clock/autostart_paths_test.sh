#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# "OrbelleDo --autostart on" from folders whose paths a desktop entry can
# and cannot hold: a path the launchers would refuse or misread is refused
# with a message and exit status 1, and no entry is written; an entry that
# is written passes desktop-file-validate where it is installed.
#
#   autostart_paths_test.sh ORBELLEDO
set -euo pipefail
clock=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

run_from() {  # folder-name -> sets status, sets entry
  local folder=$work/$1
  mkdir -p "$folder"
  cp "$clock" "$folder/OrbelleDo"
  export XDG_CONFIG_HOME=$work/config-$2
  entry=$XDG_CONFIG_HOME/autostart/org.orbelle.OrbelleDo.desktop
  set +e
  QT_QPA_PLATFORM=offscreen "$folder/OrbelleDo" --autostart on >"$work/out" 2>"$work/err"
  status=$?
  set -e
}

run_from "plain folder" plain
[ "$status" -eq 0 ] || fail "a plain path was refused: $(cat "$work/err")"
[ -f "$entry" ] || fail "no entry was written for a plain path"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "the entry does not validate"
fi
grep -q "^Exec=\"$work/plain folder/OrbelleDo\"\$" "$entry" || fail "the entry starts $(grep ^Exec "$entry")"

for name in "100%" $'latin1-\xe9t\xe9'; do
  run_from "$name" "$(printf '%s' "$name" | od -An -tx1 | tr -d ' \n')"
  [ "$status" -eq 1 ] || fail "the path $(printf %q "$name") gave status $status: $(cat "$work/out")"
  [ ! -e "$entry" ] || fail "an entry was written for $(printf %q "$name"): $(cat "$entry")"
  grep -q "cannot start the clock at login" "$work/err" || fail "no reason given: $(cat "$work/err")"
done
echo "PASSED: autostart entries only for paths a desktop can start"
