#!/usr/bin/env bash
# What an open page costs on the wire: headless Chromium shows Helvanta's page through a
# proxy that counts every byte both ways (requests, answers, headers), while the service
# polls the simulator, for DURATION seconds (default 300). Reports the cold load (what
# moved in the first COLD seconds, default 15) and the bytes an hour after it.
# Targets: an open page below 0.5 MB an hour, a cold load below 80 kB (the day's series
# here holds only the minutes this run recorded; build/release/bench/web_bench gives the
# size of a whole day's).
#   DURATION=300 bench/page_bytes.sh [build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
duration=${DURATION:-300}
cold=${COLD:-15}
chromium=$(command -v chromium || true)
[ -n "$chromium" ] || { echo "chromium is not installed (scripts/install-deps.sh installs it)" >&2; exit 1; }

work=$(mktemp -d /tmp/helvanta-page-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
source scripts/sim-folder.sh
source bench/measure.sh
start_sim_folder "$build" "$work"
pids+=("$sim_pid")
port=$(free_loopback_port)
proxy=$(free_loopback_port)
printf '\n[Web]\nListen=127.0.0.1:%s\n' "$port" >>"$work/Helvanta.ini"
"$work/helvanta" -service 2>"$work/events.txt" &
pids+=($!)
# The page is worth opening once the first values are in.
for _ in $(seq 100); do
  python3 -c 'import sys, urllib.request; urllib.request.urlopen("http://127.0.0.1:" + sys.argv[1] + "/api/live")' \
    "$port" 2>/dev/null && break
  sleep 0.1
done
python3 bench/page_bytes.py "$proxy" "$port" "$duration" "$work/bytes.txt" &
proxy_pid=$!
sleep 0.5
"$chromium" --headless --no-sandbox --disable-gpu --user-data-dir="$work/profile" "http://127.0.0.1:$proxy/" \
  >/dev/null 2>&1 &
pids+=($!)
wait "$proxy_pid"
awk -v cold="$cold" -v duration="$duration" '
  $1 < cold { first += $2; next }
  { rest += $2 }
  END {
    printf "cold load (first %d s): %.1f kB (target < 80 kB)\n", cold, first / 1000
    printf "open page after it: %.0f bytes in %d s = %.3f MB an hour (target < 0.5 MB)\n",
      rest, duration - cold, rest * 3600 / (duration - cold) / 1e6
  }' "$work/bytes.txt"
uptime
rm -rf "$work"
