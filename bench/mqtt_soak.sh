#!/usr/bin/env bash
# Runs two `helvanta -service` against helvanta-sim side by side for DURATION seconds
# (default 300): one without MQTT, one publishing to a mosquitto on a free loopback
# port. Reports each one's CPU time and peak RSS, then, from each simulator's log, how
# late in its second every request telegram arrived; the broker of the MQTT run is
# stopped with SIGSTOP for STOP seconds (default 60) in the middle, and the requests in
# that stretch are reported on their own.
# Targets: MQTT on within +10 % CPU and +2 MB peak RSS of MQTT off; while the broker is
# stopped no request later than the latest of the run without MQTT plus 10 ms.
#   DURATION=300 STOP=60 bench/mqtt_soak.sh [build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
duration=${DURATION:-300}
stop=${STOP:-60}
[ "$duration" -ge $(( stop + 60 )) ] || { echo "DURATION must be at least STOP + 60" >&2; exit 2; }
for program in src/app/helvanta tools/sim/helvanta-sim; do
  [ -x "$build/$program" ] || { echo "missing $build/$program; build it first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/helvanta-mqtt-soak-XXXXXX)
pids=()
broker_pid=
cleanup() {
  [ -n "$broker_pid" ] && kill -CONT "$broker_pid" 2>/dev/null || true
  for p in "${pids[@]}" $broker_pid; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
source scripts/sim-folder.sh
source bench/measure.sh
port=$(free_loopback_port)
cat >"$work/mosquitto.conf" <<CONF
persistence false
user $(id -un)
listener $port 127.0.0.1
allow_anonymous true
CONF
/usr/sbin/mosquitto -c "$work/mosquitto.conf" >"$work/mosquitto.log" 2>&1 &
broker_pid=$!
pids+=("$broker_pid")
sleep 1

declare -A service_pid cpu rss
for run in off on; do
  start_sim_folder "$build" "$work/$run" --log "$work/$run/sim-telegrams.log"
  pids+=("$sim_pid")
  if [ "$run" = on ]; then
    printf '\n[MQTT]\nHost=127.0.0.1\nPort=%s\nClientId=soak\n' "$port" >>"$work/on/Helvanta.ini"
  fi
  "$work/$run/helvanta" -service 2>"$work/$run/events.txt" &
  service_pid[$run]=$!
  pids+=("${service_pid[$run]}")
done
subscriber_pid=
if command -v mosquitto_sub >/dev/null; then
  mosquitto_sub -h 127.0.0.1 -p "$port" -v -t 'helvanta/#' >"$work/received.txt" 2>/dev/null &
  subscriber_pid=$!
  pids+=("$subscriber_pid")
fi

stop_at=$(( (duration - stop) / 2 ))
sleep "$stop_at"
stop_from=$(date +%s.%N)
kill -STOP "$broker_pid"
sleep "$stop"
kill -CONT "$broker_pid"
stop_till=$(date +%s.%N)
sleep $(( duration - stop_at - stop ))

measure_and_stop_services off on
[ -n "$subscriber_pid" ] && kill "$subscriber_pid" 2>/dev/null || true

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo "duration ${duration} s, broker stopped for ${stop} s from second ${stop_at}"
for run in off on; do
  echo "MQTT ${run}: CPU ${cpu[$run]} s, peak RSS ${rss[$run]} kB"
done
awk -v on="${cpu[on]}" -v off="${cpu[off]}" -v ron="${rss[on]}" -v roff="${rss[off]}" 'BEGIN {
  pct = off > 0 ? 100 * (on - off) / off : 0
  printf "MQTT on - off: CPU %+.3f s (%+.0f %%, target <= +10 %%), peak RSS %+d kB (target <= +2048 kB)\n", on - off, pct, ron - roff
}'
for run in off on; do
  echo "request lateness, MQTT ${run}: $(request_lateness "$work/$run/sim-telegrams.log" "$stop_from" "$stop_till" "the broker was stopped")"
done
if [ -n "$subscriber_pid" ]; then
  echo "received: $(grep -c '^helvanta/state ' "$work/received.txt" || true) states," \
    "$(grep -c '^helvanta/status online' "$work/received.txt" || true) online"
fi
echo "events of the MQTT run:"
cat "$work/on/events.txt"
[ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
