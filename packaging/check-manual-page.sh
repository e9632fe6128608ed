#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders a manual page as man shows it and fails on any warning the
# formatter gives, or on a page that is missing one of its sections.
#
#   check-manual-page.sh MAN PAGE
set -euo pipefail
man=$1
page=$2
warnings=$("$man" --warnings -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  printf '%s: the formatter warns:\n%s\n' "$page" "$warnings" >&2
  exit 1
fi
text=$("$man" -l "$page" 2>/dev/null | col -b)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS" "SEE ALSO"; do
  grep -qx "$section" <<<"$text" || { echo "$page: no $section section" >&2; exit 1; }
done
echo "$page renders cleanly"
