#!/usr/bin/env bash
# Soak test of the desktop window: helvanta in window mode, connected to the inverter
# simulator at the line rate, for DURATION seconds (default 600). Reports CPU time, peak
# RSS, whether RSS and open descriptors stay flat, and the CPU time as a multiple of
# bench/wire_floor doing the same wire work beside it. Targets for the 10-minute run:
# CPU < 3 s, peak RSS < 60 MB, RSS and open descriptors not growing after the first
# minute. Every process it starts ends with it.
#   DURATION=60 bench/window_soak.sh           # a shorter run (targets then scaled)
#   BUILD=build/window bench/window_soak.sh    # another build folder
#   PLATFORM=xvfb bench/window_soak.sh         # under Xvfb instead of Qt's offscreen
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
duration=${DURATION:-600}
build=${BUILD:-build/default}
[[ $build = /* ]] || build=$root/$build
platform=${PLATFORM:-offscreen}
warmup=60
(( duration >= 2 * warmup )) || warmup=$(( duration / 2 ))

if [ ! -x "$build/src/app/helvanta" ] || [ ! -x "$build/src/app/helvanta-window" ] ||
  [ ! -x "$build/tools/sim/helvanta-sim" ]; then
  cmake --build "$build" --target helvanta helvanta-sim wire_floor
fi

work=$(mktemp -d)
sim_pid=""
win_pid=""
cleanup() {
  local status=$?
  # The window runs in a process group of its own: xvfb-run's Xvfb ends with it.
  if [ -n "$win_pid" ]; then kill -- -"$win_pid" 2>/dev/null || true; wait "$win_pid" 2>/dev/null || true; fi
  stop_wire_floor
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

source "$root/scripts/sim-folder.sh"
source "$root/bench/wire_floor.sh"
source "$root/bench/measure.sh"
start_sim_folder "$build" "$work"
start_wire_floor "$build" "$work" "$duration"
set -m

if [ "$platform" = xvfb ]; then
  xvfb-run -a "$work/helvanta" --connect >"$work/window.log" 2>&1 &
  win_pid=$!
  # xvfb-run starts the program as its child; measure the program itself, once helvanta
  # has become helvanta-window.
  for _ in $(seq 100); do
    child=$(pgrep -P "$win_pid" -x helvanta-window || true)
    [ -n "$child" ] && break
    for x in $(pgrep -P "$win_pid" || true); do
      child=$(pgrep -P "$x" -x helvanta-window || true)
      [ -n "$child" ] && break 2
    done
    sleep 0.1
  done
  pid=${child:?helvanta did not start under xvfb-run}
else
  # helvanta replaces itself with helvanta-window: the same process.
  QT_QPA_PLATFORM=offscreen "$work/helvanta" --connect >"$work/window.log" 2>&1 &
  win_pid=$!
  pid=$win_pid
fi
set +m

cpu_seconds() { process_cpu_seconds "$pid"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }
hwm_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status"; }
fds() { find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 | wc -l; }

sleep "$warmup"
kill -0 "$pid" 2>/dev/null || { echo "helvanta ended early:" >&2; cat "$work/window.log" >&2; exit 1; }
cpu_warm=$(cpu_seconds); rss_warm=$(rss_kb); fds_warm=$(fds)
rss_max_after=$rss_warm
elapsed=$warmup
while (( elapsed < duration )); do
  step=$(( duration - elapsed < 10 ? duration - elapsed : 10 ))
  sleep "$step"
  elapsed=$(( elapsed + step ))
  kill -0 "$pid" 2>/dev/null || { echo "helvanta ended early:" >&2; cat "$work/window.log" >&2; exit 1; }
  r=$(rss_kb)
  if (( r > rss_max_after )); then rss_max_after=$r; fi
done
cpu_end=$(cpu_seconds); rss_end=$(rss_kb); fds_end=$(fds); hwm=$(hwm_kb)
lines=$( (cat "$work"/Data/*.csv 2>/dev/null || true) | wc -l)

finish_wire_floor
# The window's start-up is not wire work: compare the span after warm-up with the same
# share of the floor's run.
cpu_after=$(awk -v a="$cpu_warm" -v b="$cpu_end" 'BEGIN { printf "%.3f", b - a }')
floor_after=$(awk -v f="$floor_cpu" -v d="$duration" -v w="$warmup" 'BEGIN { printf "%.3f", f * (d - w) / d }')
cpu_limit=$(awk -v d="$duration" 'BEGIN { printf "%.2f", 3 * d / 600 }')
rss_growth=$(( rss_max_after - rss_warm ))
echo "window soak: $duration s on $platform against $pty"
echo "  CPU time:          $cpu_end s (target < $cpu_limit s); after warm-up $cpu_after s"
echo "  floor:             $floor_cpu s for $floor_answers answers; window / floor after warm-up = $(cpu_ratio "$cpu_after" "$floor_after")"
echo "  peak RSS:          $(( hwm / 1024 )) MB (target < 60 MB)"
echo "  RSS after warm-up: $(( rss_warm / 1024 )) MB -> $(( rss_end / 1024 )) MB (highest $(( rss_max_after / 1024 )) MB)"
echo "  descriptors:       $fds_warm -> $fds_end"
echo "  log lines written: $lines"

ok=1
awk -v c="$cpu_end" -v l="$cpu_limit" 'BEGIN { exit !(c < l) }' || { echo "FAIL: CPU time"; ok=0; }
(( hwm < 60 * 1024 )) || { echo "FAIL: peak RSS"; ok=0; }
(( rss_growth < 2048 )) || { echo "FAIL: RSS grows by $rss_growth kB"; ok=0; }
(( fds_end <= fds_warm )) || { echo "FAIL: descriptors grow"; ok=0; }
if (( ok )); then
  echo "PASS"
  exit 0
fi
exit 1
