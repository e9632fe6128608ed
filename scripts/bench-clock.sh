#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Benchmark, not a test: runs the clock on faces of several sizes, each beside
# `xclock -update 1` of the same size on one private virtual X server, and
# prints, for each, wake-ups per second, CPU milliseconds per minute and
# resident memory, then the clock's delay from the second boundary to its
# repainted hands. Two Qt windows of the same size run beside them as
# yardsticks: an empty one for memory (the clock may use at most what it
# uses, plus 5 MiB, plus the decoded face picture at the screen's scale), and
# one that repaints a picture and a hand once a second, the least a Qt clock
# costs, and a third that draws the same picture and hand through requests
# to the X server, as xclock does, instead of into Qt's backing store. A
# face is named by its size in pixels, with "@2" for a screen scale of 2
# (QT_SCALE_FACTOR; xclock is then given the same size on screen).
#
#   scripts/bench-clock.sh [CLOCK_PROGRAM]
#
# CLOCK_PROGRAM defaults to build/clock/OrbelleDo. Environment:
#   BENCH_FACES      faces to measure (default "244 300 600 1000 600@2")
#   BENCH_SECONDS    length of each measured window (default 60)
#   BENCH_SETTLE     seconds to let the programs settle first (default 130:
#                    the clock keeps the rows of its hands' pieces from their
#                    second minute on, so a day's ticking looks like the third)
#   BENCH_BUILD_DIR  build folder holding MakeFace (default build)
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
faces=${BENCH_FACES:-244 300 600 1000 600@2}
settle=${BENCH_SETTLE:-130}

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
make_face=$build_dir/tools/MakeFace
# Times the clock's repaints from inside its process, preloaded.
paint_timing=$build_dir/bench/libbench_paint_timing.so
if [ -f "$build_dir/CMakeCache.txt" ]; then
  if [ ! -x "$make_face" ] || [ ! -x "$empty_window" ] || [ ! -f "$paint_timing" ]; then
    cmake --build "$build_dir" --target MakeFace bench_empty_window bench_paint_timing >/dev/null
  fi
fi
for program in "$empty_window" "$make_face" "$paint_timing"; do
  if [ ! -x "$program" ]; then
    echo "$0: no $(basename "$program") at $program" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-clock.XXXXXX")
pids=()
# Ends the programs started since the list held $1 entries, newest first.
stop_since() {
  local i
  for ((i = ${#pids[@]} - 1; i >= $1; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
  done
  for ((i = ${#pids[@]} - 1; i >= $1; i--)); do
    wait "${pids[i]}" 2>/dev/null || true
  done
  pids=("${pids[@]:0:$1}")
}
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
    # Five windows of up to 1300 pixels in a grid.
    Xvfb ":$n" -screen 0 3900x2600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
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

# counters PID: prints "voluntary-switches cpu-nanoseconds" summed over the
# threads the process has now.
counters() {
  local task switches=0 ns=0 v t utime stime
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

alive() {  # alive NAME PID LOG
  if ! kill -0 "$2" 2>/dev/null; then
    local status=0
    wait "$2" || status=$?
    echo "$0: $1 is not running (exit status $status)" >&2
    tail -n 20 "$3" >&2 || true
    exit 1
  fi
}

echo "Display $display; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
summary=$work/summary
: >"$summary"

# measure FACE: one face beside its yardsticks; prints its table and adds a
# line to the summary.
measure() {
  local face=$1 size scale=1 px mark
  size=${face%@*}
  if [ "$face" != "$size" ]; then
    scale=${face#*@}
  fi
  # The clock window is the picture and 2 pixels.
  px=$(awk -v s="$size" -v k="$scale" 'BEGIN { printf "%d", (s + 2) * k }')
  mark=${#pids[@]}

  local run=$work/run-$size-$scale
  "$make_face" "$run" "$size" 2>"$work/makeface.err" || { cat "$work/makeface.err" >&2; exit 1; }
  cp -f "$clock" "$run/OrbelleDo"

  (cd "$run" && LD_PRELOAD=$paint_timing QT_SCALE_FACTOR=$scale exec ./OrbelleDo) 2>"$run/clock.err" &
  local clock_pid=$!
  pids+=("$clock_pid")
  xclock -update 1 -geometry "${px}x${px}+1300+0" 2>"$run/xclock.err" &
  local xclock_pid=$!
  pids+=("$xclock_pid")
  QT_SCALE_FACTOR=$scale "$empty_window" empty "$((size + 2))" 1300 1300 2>"$run/empty.err" &
  local empty_pid=$!
  pids+=("$empty_pid")
  QT_SCALE_FACTOR=$scale "$empty_window" tick "$((size + 2))" 0 1300 2>"$run/ticking.err" &
  local ticking_pid=$!
  pids+=("$ticking_pid")
  QT_SCALE_FACTOR=$scale "$empty_window" server "$((size + 2))" 2600 0 2>"$run/server.err" &
  local server_pid=$!
  pids+=("$server_pid")

  sleep "$settle"
  alive OrbelleDo "$clock_pid" "$run/clock.err"
  alive xclock "$xclock_pid" "$run/xclock.err"
  alive "the empty window" "$empty_pid" "$run/empty.err"
  alive "the ticking window" "$ticking_pid" "$run/ticking.err"
  alive "the server-drawn window" "$server_pid" "$run/server.err"

  local paint_lines_before clock_sw0 clock_ns0 xclock_sw0 xclock_ns0 empty_sw0 empty_ns0 ticking_sw0 ticking_ns0
  local clock_sw1 clock_ns1 xclock_sw1 xclock_ns1 empty_sw1 empty_ns1 ticking_sw1 ticking_ns1 t0 t1
  local server_sw0 server_ns0 server_sw1 server_ns1
  paint_lines_before=$(wc -l <"$run/clock.err")
  read -r clock_sw0 clock_ns0 < <(counters "$clock_pid")
  read -r xclock_sw0 xclock_ns0 < <(counters "$xclock_pid")
  read -r empty_sw0 empty_ns0 < <(counters "$empty_pid")
  read -r ticking_sw0 ticking_ns0 < <(counters "$ticking_pid")
  read -r server_sw0 server_ns0 < <(counters "$server_pid")
  t0=$(now_ns)

  sleep "$seconds"

  read -r clock_sw1 clock_ns1 < <(counters "$clock_pid")
  read -r xclock_sw1 xclock_ns1 < <(counters "$xclock_pid")
  read -r empty_sw1 empty_ns1 < <(counters "$empty_pid")
  read -r ticking_sw1 ticking_ns1 < <(counters "$ticking_pid")
  read -r server_sw1 server_ns1 < <(counters "$server_pid")
  t1=$(now_ns)
  alive OrbelleDo "$clock_pid" "$run/clock.err"
  alive xclock "$xclock_pid" "$run/xclock.err"
  local clock_rss xclock_rss empty_rss ticking_rss server_rss
  clock_rss=$(rss_kib "$clock_pid")
  xclock_rss=$(rss_kib "$xclock_pid")
  empty_rss=$(rss_kib "$empty_pid")
  ticking_rss=$(rss_kib "$ticking_pid")
  server_rss=$(rss_kib "$server_pid")
  stop_since "$mark"

  row() {  # row NAME SW0 SW1 NS0 NS1 RSS_KIB
    awk -v name="$1" -v sw=$(($3 - $2)) -v ns=$(($5 - $4)) -v rss="$6" \
        -v el=$((t1 - t0)) '
      BEGIN {
        secs = el / 1e9
        printf "%-16s %10.2f %11.1f %8.1f\n", name, sw / secs, ns / 1e6 / secs * 60, rss / 1024
      }'
  }

  echo
  echo "Face $face: ${size} px at scale $scale, window ${px} px on screen," \
       "measured for $(awk -v el=$((t1 - t0)) 'BEGIN { printf "%.1f", el / 1e9 }') s"
  printf '%-16s %10s %11s %8s\n' "" "wakeups/s" "cpu ms/min" "rss MiB"
  row OrbelleDo "$clock_sw0" "$clock_sw1" "$clock_ns0" "$clock_ns1" "$clock_rss"
  row xclock "$xclock_sw0" "$xclock_sw1" "$xclock_ns0" "$xclock_ns1" "$xclock_rss"
  row "empty Qt win" "$empty_sw0" "$empty_sw1" "$empty_ns0" "$empty_ns1" "$empty_rss"
  row "ticking Qt win" "$ticking_sw0" "$ticking_sw1" "$ticking_ns0" "$ticking_ns1" "$ticking_rss"
  row "server-drawn Qt" "$server_sw0" "$server_sw1" "$server_ns0" "$server_ns1" "$server_rss"

  tail -n +"$((paint_lines_before + 1))" "$run/clock.err" |
    awk '$1 == "paint-delay-ms" && $2 ~ /^-?[0-9.]+$/ { print $2 }' |
    sort -n >"$run/delays"

  # The face picture decoded at the screen's scale: four bytes a pixel.
  awk -v face="$face" -v sw=$((clock_sw1 - clock_sw0)) -v el=$((t1 - t0)) \
      -v cpu_clock=$((clock_ns1 - clock_ns0)) -v cpu_x=$((xclock_ns1 - xclock_ns0)) \
      -v cpu_qt=$((ticking_ns1 - ticking_ns0)) -v cpu_srv=$((server_ns1 - server_ns0)) -v rss="$clock_rss" -v empty="$empty_rss" \
      -v xrss="$xclock_rss" -v px=$((size * scale)) -v summary="$summary" '
    { d[++n] = $1 }
    END {
      secs = el / 1e9
      picture = px * px * 4 / 1024
      budget = empty + 5 * 1024 + picture
      ratio = cpu_x > 0 ? cpu_clock / cpu_x : 0
      printf "OrbelleDo CPU %.2f x xclock, %.2f x the ticking Qt window; memory %.1f MiB of a budget of %.1f MiB " \
             "(empty window %.1f + 5 + picture %dx%d %.2f)\n",
             ratio, (cpu_qt > 0 ? cpu_clock / cpu_qt : 0), rss / 1024, budget / 1024,
             empty / 1024, px, px, picture / 1024
      if (n == 0) {
        print "OrbelleDo repaint delay after second boundary: no paint-delay-ms lines (libbench_paint_timing.so was preloaded)"
        median = -1; worst = -1
      } else {
        median = (n % 2) ? d[(n + 1) / 2] : (d[n / 2] + d[n / 2 + 1]) / 2
        worst = d[n]
        printf "OrbelleDo repaint delay after second boundary: median %.1f ms, max %.1f ms (%d paints)\n",
               median, worst, n
      }
      printf "%-7s %9.2f %9.0f %9.0f %5.2f %8.0f %8.1f %8.1f %8.1f %7.1f %7.1f\n", face, sw / secs,
             cpu_clock / 1e6 / secs * 60, cpu_x / 1e6 / secs * 60, ratio, cpu_srv / 1e6 / secs * 60,
             rss / 1024, budget / 1024, xrss / 1024, median, worst >> summary
    }' "$run/delays"
}

for face in $faces; do
  case $face in
    [0-9]* ) ;;
    * ) echo "$0: a face is a size in pixels, optionally with @SCALE: $face" >&2; exit 2 ;;
  esac
  measure "$face"
done

echo
echo "Summary (load after: $(cut -d' ' -f1-3 /proc/loadavg)); goals: at most 1.2 wake-ups/s," \
     "CPU at most 2 x xclock's, RSS within the budget, hands within 20 ms of the second"
printf '%-7s %9s %9s %9s %5s %8s %8s %8s %8s %7s %7s\n' face "wakeups/s" "cpu ms/m" "xclock" "x" \
       "srv qt" "rss MiB" "budget" "xclk rss" "delay" "max"
cat "$summary"
