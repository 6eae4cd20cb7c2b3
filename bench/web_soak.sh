#!/usr/bin/env bash
# Runs two `helvanta -service` against helvanta-sim side by side for DURATION seconds
# (default 300): the plain service (history, web page and MQTT off) and one with
# everything on (the history, the web page with a client that reads it as an open
# browser tab does, and MQTT publishing to a mosquitto on a free loopback port). The
# client holds the stream of live values (/api/events), asks for today's new rows each
# minute (/api/day?since=) and for the energies every 5 minutes; CLIENT=0 leaves the page
# unread. Reports each one's CPU time and peak RSS.
# Targets: everything on within +15 % CPU and +3 MB peak RSS of the plain service.
#   DURATION=300 [CLIENT=0] bench/web_soak.sh [build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
duration=${DURATION:-300}
for program in src/app/helvanta tools/sim/helvanta-sim; do
  [ -x "$build/$program" ] || { echo "missing $build/$program; build it first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/helvanta-web-soak-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
source scripts/sim-folder.sh
source bench/measure.sh

port=$(free_loopback_port)
broker=$(free_loopback_port)
cat >"$work/mosquitto.conf" <<CONF
persistence false
user $(id -un)
listener $broker 127.0.0.1
allow_anonymous true
CONF
/usr/sbin/mosquitto -c "$work/mosquitto.conf" >"$work/mosquitto.log" 2>&1 &
pids+=($!)
declare -A service_pid cpu rss
for run in off on; do
  start_sim_folder "$build" "$work/$run"
  pids+=("$sim_pid")
  if [ "$run" = on ]; then
    printf '\n[Web]\nListen=127.0.0.1:%s\n[MQTT]\nHost=127.0.0.1\nPort=%s\n' "$port" "$broker" >>"$work/on/Helvanta.ini"
  else
    printf '\n[History]\nEnabled=0\n' >>"$work/off/Helvanta.ini"
  fi
  "$work/$run/helvanta" -service 2>"$work/$run/events.txt" &
  service_pid[$run]=$!
  pids+=("${service_pid[$run]}")
done

# CLIENT=0: nobody looks at the page; otherwise a client polls it as an open page does.
if [ "${CLIENT:-1}" = 0 ]; then
  echo "client: none" >"$work/client.txt"
  sleep 1 &
else
python3 - "$port" "$duration" >"$work/client.txt" <<'PY' &
import json, sys, threading, time, urllib.request
port, duration = int(sys.argv[1]), float(sys.argv[2])
base = "http://127.0.0.1:%d" % port
end = time.time() + duration - 2
events = answers = failures = 0
def stream():
    # As a browser does, it opens the stream again when it breaks (or is not up yet).
    global events
    while time.time() < end:
        try:
            with urllib.request.urlopen(base + "/api/events", timeout=30) as live:
                for line in live:
                    if line.startswith(b"data:"):
                        events += 1
        except Exception:
            time.sleep(3)
threading.Thread(target=stream, daemon=True).start()
since = None
tick = 0
time.sleep(2)
while time.time() < end:
    targets = ["/api/day?date=" + time.strftime("%Y-%m-%d") + ("" if since is None else "&since=%d" % since)]
    if tick % 5 == 0:
        targets += ["/api/energy?month=" + time.strftime("%Y-%m"), "/api/energy?year=" + time.strftime("%Y")]
    for target in targets:
        try:
            body = urllib.request.urlopen(base + target, timeout=5).read()
            answers += 1
            rows = json.loads(body).get("rows")
            if rows:
                since = rows[-1][0] - rows[-1][4]
        except Exception:
            failures += 1
    tick += 1
    time.sleep(60)
print("client: %d stream events, %d answers, %d failures" % (events, answers, failures))
PY
fi
client_pid=$!
pids+=("$client_pid")

sleep "$duration"
wait "$client_pid" || true
# Where the resident memory of everything on lies, by mapping (kB).
awk '/^[0-9a-f]+-[0-9a-f]+ / { name = $6 == "" ? "[anonymous]" : $6 } /^Rss:/ { rss[name] += $2 }
     END { for (n in rss) if (rss[n] >= 100) print rss[n], n }' "/proc/${service_pid[on]}/smaps" |
  sort -rn >"$work/on-mappings.txt"
measure_and_stop_services off on

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo "duration ${duration} s"
for run in off on; do
  echo "history, web and MQTT ${run}: CPU ${cpu[$run]} s, peak RSS ${rss[$run]} kB"
done
awk -v on="${cpu[on]}" -v off="${cpu[off]}" -v ron="${rss[on]}" -v roff="${rss[off]}" 'BEGIN {
  pct = off > 0 ? 100 * (on - off) / off : 0
  printf "on - off: CPU %+.3f s (%+.0f %%, target <= +15 %%), peak RSS %+d kB (target <= +3072 kB)\n", on - off, pct, ron - roff
}'
cat "$work/client.txt"
echo "resident memory of everything on by mapping, kB (100 kB and more):"
cat "$work/on-mappings.txt"
echo "history rows: $(python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute("SELECT count(*) FROM minute").fetchone()[0])' "$work/on/Data/helvanta.sqlite" 2>/dev/null || echo unknown)"
echo "events of the run with history and web:"
cat "$work/on/events.txt"
[ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
