#!/usr/bin/env bash
# Installs what is missing, builds Helvanta and runs it as a service in the foreground
# against the inverter simulator, in a fresh folder ./run/<date>_<time> per start (earlier
# runs stay; ./run/latest names the newest). Ctrl-C stops both. With a display (DISPLAY
# or WAYLAND_DISPLAY set) it opens the window instead.
set -euo pipefail
cd "$(dirname "$0")"
# The compiler cache serves every checkout of the tree, wherever it lies.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
root=$PWD

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target helvanta helvanta-sim

build=$root/build/default
stamp=$(date +%Y-%m-%d_%H%M%S)
run=$root/run/$stamp
# Two starts within one second still get a folder each.
[ -e "$run" ] && stamp=${stamp}_$$ && run=$root/run/$stamp
mkdir -p "$run"
ln -sfn "$stamp" "$root/run/latest"
source scripts/sim-folder.sh
sim_pid=
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
# SIM_SPEED=60 ./run.sh plays the simulated day 60 times faster, so an hour draws a day's curve;
# SIM_START=12:00:00 ./run.sh starts it at noon, with sun, whatever the time here.
start_sim_folder "$build" "$run" ${SIM_SPEED:+--speed "$SIM_SPEED"} ${SIM_START:+--start "$SIM_START"}
# MQTT_HOST=127.0.0.1 ./run.sh also publishes the values to that broker.
[ -n "${MQTT_HOST:-}" ] && printf '\n[MQTT]\nHost=%s\n' "$MQTT_HOST" >>"$run/Helvanta.ini"
# PVOUTPUT=1 ./run.sh also uploads to the stand-in PVOutput of the tests, on this machine
# over plain HTTP (the program trusts only the system's certificates): a status every five
# minutes, from the minute after the first mark that the history holds.
pvoutput_note=
if [ -n "${PVOUTPUT:-}" ]; then
  python3 tests/pvoutput/pvoutput_standin.py --plain --system-id 4242 --api-key run-sh-key \
    --ready "$run/pvoutput.ports" >"$run/pvoutput.log" 2>&1 &
  pvoutput_pid=$!
  trap 'kill "$sim_pid" "$pvoutput_pid" 2>/dev/null || true; wait 2>/dev/null || true' EXIT
  for _ in $(seq 100); do [ -e "$run/pvoutput.ports" ] && break; sleep 0.1; done
  read -r api_port control_port <"$run/pvoutput.ports"
  printf '\n[PVOutput]\nSystemId=4242\nApiKey=run-sh-key\nInterval=5\nUrl=http://127.0.0.1:%s\n' "$api_port" \
    >>"$run/Helvanta.ini"
  chmod 600 "$run/Helvanta.ini"
  pvoutput_note="Stand-in PVOutput: curl http://127.0.0.1:$control_port/statuses lists the statuses it took."
fi
# The web page, on this machine only (WEB_PORT=8081 ./run.sh picks another port).
web="127.0.0.1:${WEB_PORT:-8480}"
printf '\n[Web]\nListen=%s\n' "$web" >>"$run/Helvanta.ini"

# With a display, the desktop window instead: it connects at once and shows the values.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Helvanta opens its window on the simulated inverter at $pty (COM1)."
  echo "The day's log grows in $run/Data/$(date +%y%m%d).csv. Close the window to stop."
  echo "Web page with live values and charts: http://$web/"
  [ -n "$pvoutput_note" ] && echo "$pvoutput_note"
  "$run/helvanta" --connect
  exit 0
fi

echo "Helvanta polls the simulated inverter on $pty (COM1)."
echo "The day's log grows in $run/Data/$(date +%y%m%d).csv: one line a minute, the first"
echo "at the first full minute after all 45 values have answered (45 s)."
echo "Web page with live values and charts: http://$web/ (the history gains a row a minute"
echo "once all values have answered)."
[ -n "$pvoutput_note" ] && echo "$pvoutput_note"
echo "Events are printed here and go to the journal (journalctl -t HelvantaService)."
echo "Press Ctrl-C to stop."
"$run/helvanta" -service
