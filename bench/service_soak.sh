#!/usr/bin/env bash
# Runs `helvanta -service` against helvanta-sim for DURATION seconds (default 600) and
# reports its CPU time, peak RSS, whether RSS and open descriptors stay flat, and
# whether any Qt library is mapped (service mode loads none). Beside it, bench/wire_floor
# does the same wire work in one thread against a simulator of its own; the service's
# CPU time is also given as a multiple of the floor's.
# Targets: CPU time < 1 s and at most 1.3 times the floor's, peak RSS < 6 MB over
# 10 minutes, no Qt library.
#   DURATION=60 bench/service_soak.sh [build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
duration=${DURATION:-600}
interval=${SAMPLE_INTERVAL:-10}

work=$(mktemp -d /tmp/helvanta-soak-XXXXXX)
sim_pid=
service_pid=
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  stop_wire_floor
  wait 2>/dev/null || true
}
trap cleanup EXIT
source scripts/sim-folder.sh
source bench/wire_floor.sh
source bench/measure.sh
start_sim_folder "$build" "$work"
start_wire_floor "$build" "$work" "$duration"

"$work/helvanta" -service 2>"$work/events.txt" &
service_pid=$!

sample() {
  local rss hwm fds
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$service_pid/status")
  hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$service_pid/status")
  fds=$(ls "/proc/$service_pid/fd" | wc -l)
  echo "$1 $rss $hwm $fds"
}

echo "# seconds rss_kB peak_rss_kB open_fds"
sleep 2
first=$(sample 2)
qt_libraries=$(grep -o 'libQt6[A-Za-z]*' "/proc/$service_pid/maps" | sort -u | tr '\n' ' ' || true)
echo "$first"
elapsed=2
while [ "$elapsed" -lt "$duration" ]; do
  step=$(( duration - elapsed < interval ? duration - elapsed : interval ))
  sleep "$step"
  elapsed=$(( elapsed + step ))
  kill -0 "$service_pid" 2>/dev/null || { echo "the service ended early:" >&2; cat "$work/events.txt" >&2; exit 1; }
  last=$(sample "$elapsed")
  echo "$last"
done
cpu=$(process_cpu_seconds "$service_pid")
kill -TERM "$service_pid"
wait "$service_pid" || true
service_pid=

finish_wire_floor
ratio=$(cpu_ratio "$cpu" "$floor_cpu")
read -r _ rss0 _ fds0 <<<"$first"
read -r _ rss1 hwm1 fds1 <<<"$last"
records=$(find "$work/Data" -name "*.csv" -exec cat {} + | wc -l)
echo "duration ${duration} s: CPU ${cpu} s (target < 1 s over 600 s), peak RSS ${hwm1} kB (target < 6144 kB)"
echo "floor (bench/wire_floor, ${floor_answers} answers): CPU ${floor_cpu} s; service / floor = ${ratio} (target <= 1.3)"
echo "Qt libraries mapped: ${qt_libraries:-none} (target: none)"
echo "RSS ${rss0} -> ${rss1} kB, open descriptors ${fds0} -> ${fds1}, CSV lines ${records}"
echo "events:"
cat "$work/events.txt"
[ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
