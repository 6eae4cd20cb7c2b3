#!/usr/bin/env bash
# Runs two `helvanta -service` against helvanta-sim side by side for DURATION seconds
# (default 600): the plain service (history on, nothing else) and one that also uploads
# to the tests' stand-in PVOutput (Interval=5) and serves the web page, whose /metrics a
# client scrapes every 15 s as Prometheus does. The stand-in is stopped with SIGSTOP for
# STALL seconds (default 60) over the upload of an interval mark, so that a request
# hangs. Reports each one's CPU time and peak RSS, and from each simulator's log how late
# in its second every request telegram arrived, over the run and during the stall.
# The stand-in speaks plain HTTP here (the program trusts only the system's
# certificates); libcurl still brings its TLS library along when it is loaded.
# Targets: PVOutput and /metrics within +10 % CPU and +2 MB peak RSS of the plain
# service; no request later than 10 ms during the stall.
#   DURATION=600 STALL=60 bench/pvoutput_soak.sh [build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
duration=${DURATION:-600}
stall=${STALL:-60}
for program in src/app/helvanta tools/sim/helvanta-sim; do
  [ -x "$build/$program" ] || { echo "missing $build/$program; build it first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/helvanta-pvoutput-soak-XXXXXX)
pids=()
standin_pid=
cleanup() {
  [ -n "$standin_pid" ] && kill -CONT "$standin_pid" 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
source scripts/sim-folder.sh
source bench/measure.sh

python3 tests/pvoutput/pvoutput_standin.py --plain --system-id 4242 --api-key soak-key \
  --ready "$work/standin.ports" >"$work/standin.log" 2>&1 &
standin_pid=$!
pids+=("$standin_pid")
for _ in $(seq 100); do [ -s "$work/standin.ports" ] && break; sleep 0.1; done
read -r api_port control_port <"$work/standin.ports"
web_port=$(free_loopback_port)

declare -A service_pid cpu rss
for run in off on; do
  start_sim_folder "$build" "$work/$run" --log "$work/$run/sim-telegrams.log"
  pids+=("$sim_pid")
  if [ "$run" = on ]; then
    printf '\n[PVOutput]\nSystemId=4242\nApiKey=soak-key\nInterval=5\nUrl=http://127.0.0.1:%s\n[Web]\nListen=127.0.0.1:%s\n' \
      "$api_port" "$web_port" >>"$work/on/Helvanta.ini"
    chmod 600 "$work/on/Helvanta.ini"
  fi
  "$work/$run/helvanta" -service 2>"$work/$run/events.txt" &
  service_pid[$run]=$!
  pids+=("${service_pid[$run]}")
done
started=$(date +%s)

# Prometheus' part: a scrape every 15 s.
(
  while :; do
    if curl -s -o /dev/null -w '%{http_code} %{time_total}\n' "http://127.0.0.1:$web_port/metrics"; then :; fi
    sleep 15
  done
) >"$work/scrapes.txt" &
pids+=($!)

# A status goes up in the minute after its mark, once the history holds the mark's row:
# the stall starts 45 s after the first mark that leaves 60 s of the run before it.
mark=$(( (started + 60 + 299) / 300 * 300 ))
stall_from_s=$(( mark + 45 ))
[ $(( stall_from_s + stall + 30 )) -le $(( started + duration )) ] ||
  { echo "DURATION is too short for a stall over an upload; take at least 600" >&2; exit 2; }
sleep $(( stall_from_s - $(date +%s) ))
stall_from=$(date +%s.%N)
kill -STOP "$standin_pid"
sleep "$stall"
kill -CONT "$standin_pid"
stall_till=$(date +%s.%N)
sleep $(( started + duration - $(date +%s) ))

measure_and_stop_services off on

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo "duration ${duration} s, stand-in stopped for ${stall} s from $(date -d "@${stall_from%.*}" +%T)"
for run in off on; do
  echo "PVOutput and /metrics ${run}: CPU ${cpu[$run]} s, peak RSS ${rss[$run]} kB"
done
awk -v on="${cpu[on]}" -v off="${cpu[off]}" -v ron="${rss[on]}" -v roff="${rss[off]}" 'BEGIN {
  pct = off > 0 ? 100 * (on - off) / off : 0
  printf "on - off: CPU %+.3f s (%+.0f %%, target <= +10 %%), peak RSS %+d kB (target <= +2048 kB)\n", on - off, pct, ron - roff
}'
for run in off on; do
  echo "request lateness, ${run}: $(request_lateness "$work/$run/sim-telegrams.log" "$stall_from" "$stall_till" \
    "the stand-in was stopped")"
done
echo "scrapes: $(grep -c '^200 ' "$work/scrapes.txt" || true) answered of $(wc -l <"$work/scrapes.txt")"
echo "statuses the stand-in took: $(curl -s "http://127.0.0.1:$control_port/statuses" | tr '\n' ' ')"
echo "events of the run with PVOutput:"
cat "$work/on/events.txt"
[ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
