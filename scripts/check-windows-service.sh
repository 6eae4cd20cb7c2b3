#!/usr/bin/env bash
# Runs the Windows build's service under wine against this machine's simulator: wine's
# COM1 is mapped to the simulator's pseudo-terminal; the service is installed with
# `helvanta.exe -service -install -silent`, started and stopped with `sc`, and removed
# with `-service -uninstall -silent`. Checks requests on the line, CSV records, history
# rows, /api/live over loopback, and the event texts (wine stores no events; with
# WINEDEBUG=+eventlog it prints them). Prints each check with ok or FAILED; exits 1
# after a failure.
#
# Needs the windows preset built (HELVANTA_WINDOWS_BUILD, default build/windows) and
# the simulator of the default build (HELVANTA_SIM).
# Checks and the cleanup are called through check() and trap.
# shellcheck disable=SC2317
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/check-steps.sh
. "$root/scripts/check-steps.sh"
build=${HELVANTA_WINDOWS_BUILD:-$root/build/windows}
sim=${HELVANTA_SIM:-$root/build/default/tools/sim/helvanta-sim}
# Long enough for a minute mark after the first whole minute of values.
run_seconds=${RUN_SECONDS:-90}
exe=$build/src/app/helvanta.exe
[ -f "$exe" ] || { echo "no $exe: build the windows preset first" >&2; exit 1; }
[ -x "$sim" ] || { echo "no simulator at $sim: build the default preset first" >&2; exit 1; }

# wine64 itself: Debian's wine wrapper prefers a 32-bit loader of any architecture.
wine() { /usr/lib/wine/wine64 "$@"; }
wineserver() { /usr/lib/wine/wineserver64 "$@"; }
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
folder=$WINEPREFIX/drive_c/Helvanta
data=$folder/Data
events=$work/events.log
sim_pid=
keeper_pid=
cleanup() {
  exec 3>&-
  [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failure_details() {
  echo "--- install"
  tail -n 5 "$work/install.log" 2>/dev/null || true
  echo "--- events"
  tail -n 20 "$events" 2>/dev/null || true
  echo "--- simulator"
  tail -n 5 "$work/sim.log" 2>/dev/null || true
}

# The simulator's day at noon, so that the sun shines.
"$sim" --start 12:00:00 --seed 1 --log "$work/line.log" >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 50); do
  [ -s "$work/sim.out" ] && break
  sleep 0.1
done
pty=$(head -n 1 "$work/sim.out")
must "the simulator runs on ${pty:-no device}" test -c "$pty"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
prefix_made() {
  wine wineboot -i >"$work/wineboot.log" 2>&1 &&
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$pty" /f >>"$work/wineboot.log" 2>&1 &&
    wineserver -w
}
must "a wine prefix with COM1 on $pty" prefix_made

mkdir -p "$data"
cp "$build"/src/app/*.exe "$build"/src/app/*.dll "$folder"/ 2>/dev/null || cp "$build"/src/app/*.exe "$folder"/
cp "$root/packaging/Template.csv" "$folder/"
printf '[Data Logging]\r\nComPort=COM1\r\nFrom=00:00:00\r\nTill=23:59:59\r\nRequestInterval=1\r\nReceivePseudoData=0\r\n\r\n[Web]\r\nListen=127.0.0.1:%s\r\n' \
  "$port" >"$folder/Helvanta.ini"

# Wine ends its services when its last ordinary process does: this one stays. Every wine
# process of the prefix, the service among them, prints its events on this one's stderr.
mkfifo "$work/keeper"
WINEDEBUG=-all,+eventlog wine cmd <"$work/keeper" >/dev/null 2>"$events" &
keeper_pid=$!
exec 3>"$work/keeper"  # cmd waits for input while this stays open
sleep 2

installed() { (cd "$folder" && wine helvanta.exe -service -install -silent) >>"$work/install.log" 2>&1; }
must "helvanta.exe -service -install -silent" installed
# wine's sc has no qc: the control manager's own key tells.
registered() {
  wine reg query 'HKLM\System\CurrentControlSet\Services\HelvantaService' /v ImagePath 2>/dev/null |
    grep -q 'helvanta.exe" -service'
}
check "the service is registered with the control manager" registered
started() { wine sc start HelvantaService >/dev/null 2>&1; }
must "sc start HelvantaService" started
state_is() {
  for _ in $(seq 30); do
    wine sc query HelvantaService 2>/dev/null | grep -q "$1" && return 0
    sleep 1
  done
  return 1
}
check "the service reports running" state_is RUNNING

live=
live_answered() {
  for _ in $(seq 30); do
    live=$(curl -sf "http://127.0.0.1:$port/api/live" 2>/dev/null) && [[ $live == *"{"* ]] && return 0
    sleep 1
  done
  return 1
}
check "/api/live answers over loopback" live_answered
echo "  running the service for $run_seconds s"
sleep "$run_seconds"
stop() { wine sc stop HelvantaService >/dev/null 2>&1; }
check "sc stop HelvantaService" stop
check "the service stops" state_is STOPPED

requests() {
  local count
  count=$(grep -c ' rx .* ok$' "$work/line.log" || true)
  echo "  $count good requests on the line"
  [ "$count" -ge 45 ]
}
check "requests reached the simulator" requests
records() {
  local count
  # A record starts with its date, right-aligned in its column.
  count=$(cat "$data"/*.csv 2>/dev/null | grep -c '^[[:space:]]*[0-9]' || true)
  echo "  $count CSV records"
  [ "$count" -ge 1 ]
}
check "CSV records in Data" records
rows() {
  local count
  count=$(sqlite3 -readonly "$data/helvanta.sqlite" 'SELECT count(*) FROM minute' 2>/dev/null || echo 0)
  echo "  $count history rows"
  [ "$count" -ge 1 ]
}
check "history rows in Data\\helvanta.sqlite" rows
event_texts() {
  grep -q 'Service started' "$events" && grep -q 'Service stopped' "$events"
}
check "the start and stop events reached the event log" event_texts
uninstalled() { (cd "$folder" && wine helvanta.exe -service -uninstall -silent) >>"$work/install.log" 2>&1; }
check "helvanta.exe -service -uninstall -silent" uninstalled
gone() { ! wine sc query HelvantaService 2>/dev/null | grep -q STATE; }
check "the service is gone" gone
finish
