#!/usr/bin/env bash
# Installs what is missing, builds Helvanta and runs it as a service in the foreground
# against the inverter simulator, in a fresh folder ./run. Ctrl-C stops both. With a
# display (DISPLAY or WAYLAND_DISPLAY set) it opens the window instead.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target helvanta helvanta-sim

build=$root/build/default
run=$root/run
rm -rf "$run"
mkdir -p "$run/Data"
cp "$build/src/app/helvanta" "$run/helvanta"
cp packaging/Template.csv "$run/Template.csv"

# The simulator prints the pseudo-terminal to open on its first line.
sim_out=$run/sim.out
"$build/tools/sim/helvanta-sim" >"$sim_out" 2>"$run/sim.log" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -s "$sim_out" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { echo "helvanta-sim did not start; see $run/sim.log" >&2; exit 1; }
  sleep 0.1
done
pty=$(head -n 1 "$sim_out")
[ -n "$pty" ] || { echo "helvanta-sim named no device; see $run/sim.log" >&2; exit 1; }

cat >"$run/Helvanta.ini" <<INI
[Data Logging]
ComPort=COM1
From=00:00:00
Till=23:59:59
RequestInterval=1
ReceivePseudoData=0
TemplateFile=$run/Template.csv
OutputFolder=$run/Data

[Ports]
COM1=$pty
INI

# With a display, the desktop window instead: it connects at once and shows the values.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Helvanta opens its window on the simulated inverter at $pty (COM1)."
  echo "The day's log grows in $run/Data/$(date +%y%m%d).csv. Close the window to stop."
  "$run/helvanta" --connect
  exit 0
fi

echo "Helvanta polls the simulated inverter on $pty (COM1)."
echo "The day's log grows in $run/Data/$(date +%y%m%d).csv: one line a minute, the first"
echo "at the first full minute after all 45 values have answered (45 s)."
echo "Events are printed here and go to the journal (journalctl -t HelvantaService)."
echo "Press Ctrl-C to stop."
"$run/helvanta" -service
