#!/usr/bin/env bash
# Benchmark, not a test: runs the clock on the sample face and `xclock -update 1`
# side by side on one private virtual X server and prints, for each, wake-ups
# per second, CPU milliseconds per minute and resident memory, then the clock's
# delay from the second boundary to its repainted hands. Two Qt windows run
# beside them as yardsticks: an empty one for memory (the clock may use at
# most what it uses, plus 5 MiB, plus the decoded face picture), and one that
# repaints a picture and a hand once a second, the least a Qt clock costs.
#
#   scripts/bench-clock.sh [CLOCK_PROGRAM]
#
# CLOCK_PROGRAM defaults to build/clock/OrbelleDo. Environment:
#   BENCH_SECONDS    length of the measured window (default 60)
#   BENCH_SETTLE     seconds to let both programs settle first (default 5)
#   BENCH_BUILD_DIR  build folder holding sample/face.png (default build)
#
# Wake-ups are voluntary context switches summed over all threads; CPU time is
# the first field of each thread's schedstat (nanoseconds on a CPU). Both are
# differences between the start and the end of the window. Threads that end
# inside the window are not counted.
set -euo pipefail

cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.."
root=$(pwd)

clock=${1:-$root/build/clock/OrbelleDo}
build_dir=${BENCH_BUILD_DIR:-$root/build}
seconds=${BENCH_SECONDS:-60}
settle=${BENCH_SETTLE:-5}

for tool in Xvfb xdpyinfo trayer xclock; do
  if ! command -v "$tool" >/dev/null; then
    echo "$0: $tool is missing; scripts/install-deps.sh installs it" >&2
    exit 1
  fi
done
if [ ! -x "$clock" ]; then
  echo "$0: no clock program at $clock" >&2
  exit 1
fi
empty_window=$build_dir/bench/bench_empty_window
if [ -f "$build_dir/CMakeCache.txt" ]; then
  if [ ! -f "$build_dir/sample/face.png" ] || [ ! -x "$empty_window" ]; then
    cmake --build "$build_dir" --target sample_face bench_empty_window >/dev/null
  fi
fi
if [ ! -x "$empty_window" ]; then
  echo "$0: no empty-window yardstick at $empty_window" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-clock.XXXXXX")
pids=()
cleanup() {
  local pid
  # Newest first: the clocks before the tray host before the X server.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- a private X server on a free display number -------------------------
start_xvfb() {
  local n deadline
  for n in $(seq 90 199); do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
      continue
    fi
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    deadline=$((SECONDS + 10))
    while [ $SECONDS -lt $deadline ]; do
      if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        break  # lost a race for this number; try the next one
      fi
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        display=:$n
        pids+=("$xvfb_pid")
        return 0
      fi
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  done
  echo "$0: could not start Xvfb on any display from :90 to :199" >&2
  cat "$work/xvfb.log" >&2 || true
  return 1
}
start_xvfb
export DISPLAY=$display

trayer --edge top --align right --widthtype request --height 24 \
  >"$work/trayer.log" 2>&1 &
pids+=("$!")

# --- the two clocks ---------------------------------------------------------
"$root/scripts/layout-run-folder.sh" "$build_dir" "$work/run" "$clock"

(cd "$work/run" && ORBELLE_TRACE_PAINT=1 exec ./OrbelleDo) 2>"$work/clock.err" &
clock_pid=$!
pids+=("$clock_pid")

xclock -update 1 2>"$work/xclock.err" &
xclock_pid=$!
pids+=("$xclock_pid")

"$empty_window" 2>"$work/empty.err" &
empty_pid=$!
pids+=("$empty_pid")
"$empty_window" tick 2>"$work/ticking.err" &
ticking_pid=$!
pids+=("$ticking_pid")

sleep "$settle"

alive() {  # alive NAME PID LOG
  if ! kill -0 "$2" 2>/dev/null; then
    local status=0
    wait "$2" || status=$?
    echo "$0: $1 is not running (exit status $status)" >&2
    tail -n 20 "$3" >&2 || true
    exit 1
  fi
}
alive OrbelleDo "$clock_pid" "$work/clock.err"
alive xclock "$xclock_pid" "$work/xclock.err"
alive "the empty window" "$empty_pid" "$work/empty.err"
alive "the ticking window" "$ticking_pid" "$work/ticking.err"

# counters PID: prints "voluntary-switches cpu-nanoseconds" summed over the
# threads the process has now.
counters() {
  local task switches=0 ns=0 v t utime stime rest
  local tick_ns=$((1000000000 / $(getconf CLK_TCK)))
  for task in /proc/"$1"/task/*; do
    v=$(awk '/^voluntary_ctxt_switches:/ { print $2 }' "$task/status" 2>/dev/null) || continue
    [ -n "$v" ] || continue
    if read -r t _ 2>/dev/null <"$task/schedstat"; then
      :
    else
      # No schedstat in this kernel: user and system time in clock ticks.
      read -r utime stime < <(sed 's/.*) //' "$task/stat" | awk '{ print $12, $13 }') || continue
      t=$(((utime + stime) * tick_ns))
    fi
    switches=$((switches + v))
    ns=$((ns + t))
  done
  echo "$switches $ns"
}

rss_kib() {
  awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"
}

now_ns() { date +%s%N; }

paint_lines_before=$(wc -l <"$work/clock.err")
read -r clock_sw0 clock_ns0 < <(counters "$clock_pid")
read -r xclock_sw0 xclock_ns0 < <(counters "$xclock_pid")
read -r empty_sw0 empty_ns0 < <(counters "$empty_pid")
read -r ticking_sw0 ticking_ns0 < <(counters "$ticking_pid")
t0=$(now_ns)

sleep "$seconds"

read -r clock_sw1 clock_ns1 < <(counters "$clock_pid")
read -r xclock_sw1 xclock_ns1 < <(counters "$xclock_pid")
read -r empty_sw1 empty_ns1 < <(counters "$empty_pid")
read -r ticking_sw1 ticking_ns1 < <(counters "$ticking_pid")
t1=$(now_ns)
alive OrbelleDo "$clock_pid" "$work/clock.err"
alive xclock "$xclock_pid" "$work/xclock.err"
clock_rss=$(rss_kib "$clock_pid")
xclock_rss=$(rss_kib "$xclock_pid")
empty_rss=$(rss_kib "$empty_pid")
ticking_rss=$(rss_kib "$ticking_pid")

# --- report -----------------------------------------------------------------
row() {  # row NAME SW0 SW1 NS0 NS1 RSS_KIB
  awk -v name="$1" -v sw=$(($3 - $2)) -v ns=$(($5 - $4)) -v rss="$6" \
      -v el=$((t1 - t0)) '
    BEGIN {
      secs = el / 1e9
      printf "%-14s %10.2f %11.1f %8.1f\n", name, sw / secs, ns / 1e6 / secs * 60, rss / 1024
    }'
}

echo "Display $DISPLAY, measured for $(awk -v el=$((t1 - t0)) 'BEGIN { printf "%.1f", el / 1e9 }') s"
printf '%-14s %10s %11s %8s\n' "" "wakeups/s" "cpu ms/min" "rss MiB"
row OrbelleDo "$clock_sw0" "$clock_sw1" "$clock_ns0" "$clock_ns1" "$clock_rss"
row xclock "$xclock_sw0" "$xclock_sw1" "$xclock_ns0" "$xclock_ns1" "$xclock_rss"
row "empty Qt win" "$empty_sw0" "$empty_sw1" "$empty_ns0" "$empty_ns1" "$empty_rss"
row "ticking Qt win" "$ticking_sw0" "$ticking_sw1" "$ticking_ns0" "$ticking_ns1" "$ticking_rss"

# The face picture decoded: four bytes a pixel.
read -r face_w face_h < <(identify -format '%w %h\n' "$work/run/face.png" 2>/dev/null || echo "0 0") || true
awk -v cpu_clock=$((clock_ns1 - clock_ns0)) -v cpu_x=$((xclock_ns1 - xclock_ns0)) \
    -v cpu_qt=$((ticking_ns1 - ticking_ns0)) \
    -v rss="$clock_rss" -v empty="$empty_rss" -v w="$face_w" -v h="$face_h" '
  BEGIN {
    picture = w * h * 4 / 1024
    budget = empty + 5 * 1024 + picture
    printf "OrbelleDo CPU %.2f x xclock, %.2f x the ticking Qt window; memory %.1f MiB of a budget of %.1f MiB " \
           "(empty window %.1f + 5 + picture %dx%d %.2f)\n",
           (cpu_x > 0 ? cpu_clock / cpu_x : 0), (cpu_qt > 0 ? cpu_clock / cpu_qt : 0), rss / 1024, budget / 1024,
           empty / 1024, w, h, picture / 1024
  }'

tail -n +"$((paint_lines_before + 1))" "$work/clock.err" |
  awk '$1 == "paint-delay-ms" && $2 ~ /^-?[0-9.]+$/ { print $2 }' |
  sort -n >"$work/delays"
paints=$(wc -l <"$work/delays")
if [ "$paints" -eq 0 ]; then
  echo "OrbelleDo repaint delay after second boundary: no paint-delay-ms lines on stderr" \
       "(ORBELLE_TRACE_PAINT=1 was set)"
else
  awk -v n="$paints" '
    { d[NR] = $1 }
    END {
      median = (n % 2) ? d[(n + 1) / 2] : (d[n / 2] + d[n / 2 + 1]) / 2
      printf "OrbelleDo repaint delay after second boundary: median %.1f ms, max %.1f ms (%d paints)\n",
             median, d[n], n
    }' "$work/delays"
fi
