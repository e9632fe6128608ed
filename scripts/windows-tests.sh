#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the layers without Qt (common/, form/, the two programs' forms) and
# their unit tests for 64-bit Windows with MinGW-w64, then runs the tests
# under Wine twice: with the ANSI code page 932 (a Japanese locale) and with
# 1252 (an English one). Prints the counts of both runs; fails on any test
# that fails. Skips, saying so, only when Wine cannot start at all.
#
# WINDOWS_BUILD_DIR chooses the build folder (build-windows); WINEPREFIX,
# when set, names a prefix to use and keep; otherwise one is made for this
# run and removed at its end.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${WINDOWS_BUILD_DIR:-build-windows}
toolchain=cmake/mingw-w64-x86_64.cmake
gtest_source=/usr/src/googletest
tests=(common form clock maker)

echo "== Windows: unit tests built with MinGW-w64, run under Wine"

# Headless: no window may open, and no installer dialog for the parts of
# Wine that the tests do not use.
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="

own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix=$(mktemp -d "${TMPDIR:-/tmp}/orbelle-wine-XXXXXX")
  export WINEPREFIX="$own_prefix"
fi
cleanup() {
  if command -v wineserver >/dev/null 2>&1; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$own_prefix" ]; then
    rm -rf "$own_prefix"
  fi
}
trap cleanup EXIT

if ! command -v wine >/dev/null 2>&1; then
  echo "== Windows stage skipped: Wine is not installed (scripts/install-deps.sh installs it)"
  exit 0
fi
# The first start fills the prefix; every run after this one reuses it.
if ! start_output=$(timeout 180 wine cmd.exe /c echo started 2>&1) || ! grep -q started <<<"$start_output"; then
  echo "== Windows stage skipped: Wine cannot start on this machine:"
  tail -n 5 <<<"$start_output" | sed 's/^/   /'
  exit 0
fi

# Without the Japanese locale Wine would fall back to 1252 and the run
# meant for 932 would test nothing of it.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "!! the locale ja_JP.UTF-8 is missing; scripts/install-deps.sh generates it"
  exit 1
fi

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Debug \
  -DORBELLE_QT=OFF -DORBELLE_WERROR=ON -DORBELLE_GTEST_SOURCE="$gtest_source" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${tests[@]/%/_tests}"

# Runs every test program once in the current locale; prints one line of
# counts for the code page and returns non-zero when anything failed.
run_suite() {
  local code_page=$1
  local total=0 passed=0 failed=0 skipped=0 status=0
  local name output ran
  export ORBELLE_EXPECTED_ACP="$code_page"
  for name in "${tests[@]}"; do
    if output=$(timeout 300 wine "$build/tests/$name/${name}_tests.exe" --gtest_brief=1 --gtest_color=no 2>&1); then
      :
    else
      status=1
      echo "$output" | grep -v '^Running main()' || true
      echo "!! ${name}_tests failed under code page $code_page"
    fi
    ran=$(sed -n 's/^\[==========\] \([0-9]*\) tests\{0,1\} from .* ran\..*/\1/p' <<<"$output" | tail -n 1)
    if [ -z "$ran" ]; then
      status=1
      echo "!! ${name}_tests reported no results under code page $code_page"
      continue
    fi
    total=$((total + ran))
    passed=$((passed + $(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' <<<"$output" | tail -n 1 | grep . || echo 0)))
    skipped=$((skipped + $(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}, listed below.*/\1/p' <<<"$output" | tail -n 1 | grep . || echo 0)))
  done
  failed=$((total - passed - skipped))
  echo "Windows unit tests, ANSI code page $code_page: $total tests, $passed passed, $failed failed, $skipped skipped"
  if [ "$failed" -ne 0 ] || [ "$passed" -eq 0 ]; then
    status=1
  fi
  return "$status"
}

result=0
# Wine takes its ANSI code page from the Unix locale.
LC_ALL=ja_JP.UTF-8 run_suite 932 || result=1
LC_ALL=C.UTF-8 run_suite 1252 || result=1
if [ "$result" -ne 0 ]; then
  echo "!! Windows unit tests failed"
fi
exit "$result"
