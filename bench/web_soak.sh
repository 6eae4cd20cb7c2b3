#!/usr/bin/env bash
# Runs two `helvanta -service` against helvanta-sim side by side for DURATION seconds
# (default 300): one with the history and the web page off, one with both on and a
# client that polls the page's API as an open browser tab does (/api/live every 3 s,
# /api/day and /api/energy every 60 s; CLIENT=0 leaves the page unread). Reports each
# one's CPU time and peak RSS. Targets: on within +10 % CPU and +4 MB peak RSS of off.
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
declare -A service_pid cpu rss
for run in off on; do
  start_sim_folder "$build" "$work/$run"
  pids+=("$sim_pid")
  if [ "$run" = on ]; then
    printf '\n[Web]\nListen=127.0.0.1:%s\n' "$port" >>"$work/on/Helvanta.ini"
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
import sys, time, urllib.request
port, duration = int(sys.argv[1]), float(sys.argv[2])
base = "http://127.0.0.1:%d" % port
end = time.time() + duration - 2
answers = failures = 0
tick = 0
time.sleep(2)
while time.time() < end:
    targets = ["/api/live"]
    if tick % 20 == 0:
        targets += ["/api/day?date=" + time.strftime("%Y-%m-%d"), "/api/energy?month=" + time.strftime("%Y-%m"),
                    "/api/energy?year=" + time.strftime("%Y")]
    for target in targets:
        try:
            urllib.request.urlopen(base + target, timeout=5).read()
            answers += 1
        except Exception:
            failures += 1
    tick += 1
    time.sleep(3)
print("client: %d answers, %d failures" % (answers, failures))
PY
fi
client_pid=$!
pids+=("$client_pid")

sleep "$duration"
wait "$client_pid" || true
for run in off on; do
  kill -0 "${service_pid[$run]}" 2>/dev/null || { echo "the $run service ended early" >&2; exit 1; }
  cpu[$run]=$(process_cpu_seconds "${service_pid[$run]}")
  rss[$run]=$(peak_rss "${service_pid[$run]}")
  kill -TERM "${service_pid[$run]}"
  wait "${service_pid[$run]}" || true
done

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo "duration ${duration} s"
for run in off on; do
  echo "history and web ${run}: CPU ${cpu[$run]} s, peak RSS ${rss[$run]} kB"
done
awk -v on="${cpu[on]}" -v off="${cpu[off]}" -v ron="${rss[on]}" -v roff="${rss[off]}" 'BEGIN {
  pct = off > 0 ? 100 * (on - off) / off : 0
  printf "on - off: CPU %+.3f s (%+.0f %%, target <= +10 %%), peak RSS %+d kB (target <= +4096 kB)\n", on - off, pct, ron - roff
}'
cat "$work/client.txt"
echo "history rows: $(python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute("SELECT count(*) FROM minute").fetchone()[0])' "$work/on/Data/helvanta.sqlite" 2>/dev/null || echo unknown)"
echo "events of the run with history and web:"
cat "$work/on/events.txt"
[ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
