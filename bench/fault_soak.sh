#!/usr/bin/env bash
# Runs `helvanta -service` against helvanta-sim once per line fault, all faults at the
# same time, each in its own folder with its own simulator, for DURATION seconds
# (default 1800), then reports per fault the logging marks, the records written, the
# values in records that the simulator never sent, and the events.
# Targets: with --drop 0.05 and with --late 0.05 at least 95 % of the marks have a
# record; with --garble 0.1 no value that the simulator never sent; after a hang-up
# and a new simulator, records resume within 2 minutes of its return, with at most
# 3 events per outage.
#   DURATION=1800 FAULTS="drop late" bench/fault_soak.sh [build folder, default build/default]
# FAULTS picks from: clean (no fault, the baseline) drop late garble noise split hangup,
# late20 (--late 0.2) and mixed (drop, garble and late at 0.03, noise 0.05, split).
# SEED (default 1) makes the runs repeatable; PAUSE (default 30) is how long the line
# stays away after a hang-up; HANGUP_AFTER is how many answers a hanging simulator gives
# (default DURATION/4, at least 60, at most 240); KEEP=1 keeps the work folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build/default}")
duration=${DURATION:-1800}
faults=${FAULTS:-clean drop late garble noise split hangup}
seed=${SEED:-1}
pause=${PAUSE:-30}
hangup_after=${HANGUP_AFTER:-$(( duration / 4 < 60 ? 60 : duration / 4 > 240 ? 240 : duration / 4 ))}
# Time a new simulator needs at least before the run ends for its records to resume.
resume_allowance=120

fault_options() {
  case $1 in
    clean) ;;
    drop) printf '%s\n' --drop 0.05 ;;
    late) printf '%s\n' --late 0.05 ;;
    late20) printf '%s\n' --late 0.2 ;;
    mixed) printf '%s\n' --drop 0.03 --garble 0.03 --late 0.03 --noise 0.05 --split ;;
    garble) printf '%s\n' --garble 0.1 ;;
    noise) printf '%s\n' --noise 0.05 ;;
    split) echo --split ;;
    hangup) ;;
    *) return 1 ;;
  esac
}
# Each fault's seed follows from its name, so that a run is repeatable in any subset.
fault_number() {
  local number=0 known
  for known in clean drop late garble noise split hangup late20 mixed; do
    number=$(( number + 1 ))
    [ "$known" = "$1" ] && echo "$number"
  done
  return 0
}
for fault in $faults; do
  fault_options "$fault" >/dev/null || { echo "unknown fault '$fault'" >&2; exit 2; }
done
[ -f bench/fault_soak_report.py ] || { echo "missing bench/fault_soak_report.py" >&2; exit 1; }
for program in src/app/helvanta tools/sim/helvanta-sim; do
  [ -x "$build/$program" ] || { echo "missing $build/$program; build it first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/helvanta-faults-XXXXXX)
# Private copies, so that a rebuild during the run changes nothing.
mkdir -p "$work/bin/src/app" "$work/bin/tools/sim"
cp "$build/src/app/helvanta" "$work/bin/src/app/"
cp "$build/tools/sim/helvanta-sim" "$work/bin/tools/sim/"
source scripts/sim-folder.sh

now_us() { echo "${EPOCHREALTIME//[!0-9]/}"; }
seconds_of() { printf '%d.%06d' $(( $1 / 1000000 )) $(( $1 % 1000000 )); }

# Prefixes every line of standard input with the time it arrived.
stamp_lines() {
  local line
  while IFS= read -r line || [ -n "$line" ]; do
    printf '%s %s\n' "$EPOCHREALTIME" "$line"
  done
}

# Sleeps at most a second or so at a time, so that a stop request is served at once
# and a sleep cut short by one is gone a moment later.
nap() {
  sleep "$1" &
  timer_pid=$!
  wait "$timer_pid" || true
  timer_pid=
}

# One fault in $work/<fault>: its simulator (restarted after each hang-up), its
# service, and a timeline of when each started and ended.
run_fault() {
  local fault=$1 number=$2
  local dir=$work/$fault
  # Not local: the exit trap runs after the function's variables are gone.
  sim_pid='' service_pid='' reader_pid='' timer_pid=''
  local restarts=0
  # shellcheck disable=SC2317  # run by the exit trap
  stop_fault() {
    local pid
    for pid in $timer_pid $service_pid $sim_pid; do kill -TERM "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
  }
  trap stop_fault EXIT
  trap 'exit 143' TERM

  local start_us deadline_us
  start_us=$(now_us)
  deadline_us=$(( start_us + duration * 1000000 ))
  local -a common
  common=(--log "$dir/sim-answers.log")
  [ "$fault" = hangup ] && common+=(--link "$dir/inverter")
  # The simulated day starts at noon, so that a damaged word's 0 differs from the values
  # the sun gives; each simulator goes on with the day where the one before it stopped.
  sim_options() {
    local elapsed=$(( ($(now_us) - start_us) / 1000000 ))
    local day=$(( 12 * 3600 + elapsed ))
    printf -- '%s\n' "${common[@]}" --seed $(( seed * 100 + number * 10 + restarts )) \
      --start "$(printf '%02d:%02d:%02d' $(( day / 3600 )) $(( day / 60 % 60 )) $(( day % 60 )))"
    fault_options "$fault"
    # A simulator hangs up only if the next one still has time to show records.
    if [ "$fault" = hangup ] &&
       [ $(( elapsed + hangup_after + pause + resume_allowance )) -le "$duration" ]; then
      printf '%s\n' --hangup-after "$hangup_after"
    fi
  }
  local -a options
  mapfile -t options < <(sim_options)
  start_sim_folder "$work/bin" "$dir" "${options[@]}"
  echo "sim-start $EPOCHREALTIME ${options[*]}" >>"$dir/timeline"

  mkfifo "$dir/events.fifo"
  stamp_lines <"$dir/events.fifo" >"$dir/events.txt" &
  reader_pid=$!
  echo "service-start $EPOCHREALTIME" >>"$dir/timeline"
  "$dir/helvanta" -service 2>"$dir/events.fifo" >"$dir/service.out" &
  service_pid=$!

  local remaining_us
  while :; do
    remaining_us=$(( deadline_us - $(now_us) ))
    [ "$remaining_us" -gt 0 ] || break
    nap "$(seconds_of $(( remaining_us < 1000000 ? remaining_us : 1000000 )))"
    if ! kill -0 "$service_pid" 2>/dev/null; then
      wait "$service_pid" || true
      service_pid=
      echo "service-end $EPOCHREALTIME" >>"$dir/timeline"
      echo "$fault: the service ended early; see $dir/events.txt" >&2
      break
    fi
    if [ -z "$sim_pid" ] || kill -0 "$sim_pid" 2>/dev/null; then continue; fi
    wait "$sim_pid" || true
    sim_pid=
    echo "sim-end $EPOCHREALTIME" >>"$dir/timeline"
    [ "$fault" = hangup ] || { echo "$fault: the simulator ended early; see $dir/sim.log" >&2; continue; }
    remaining_us=$(( deadline_us - $(now_us) ))
    [ "$remaining_us" -gt $(( pause * 1000000 )) ] || continue
    for _ in $(seq "$pause"); do nap 1; done
    restarts=$(( restarts + 1 ))
    mapfile -t options < <(sim_options)
    rm -f "$dir/sim.out"
    "$work/bin/tools/sim/helvanta-sim" "${options[@]}" >"$dir/sim.out" 2>>"$dir/sim.log" &
    sim_pid=$!
    # The link is in place once the device is printed.
    for _ in $(seq 50); do
      [ -s "$dir/sim.out" ] && break
      nap 0.1
    done
    [ -s "$dir/sim.out" ] || { echo "$fault: helvanta-sim did not start again; see $dir/sim.log" >&2; return 1; }
    echo "sim-start $EPOCHREALTIME ${options[*]}" >>"$dir/timeline"
  done

  if [ -n "$service_pid" ]; then
    echo "service-stop $EPOCHREALTIME" >>"$dir/timeline"
    kill -TERM "$service_pid"
    wait "$service_pid" || true
    service_pid=
  fi
  wait "$reader_pid" || true
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid"
    wait "$sim_pid" || true
    sim_pid=
  fi
}

fault_pids=()
timer_pid=
cleanup() {
  local pid
  for pid in $timer_pid "${fault_pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ -n "$interrupted" ] && [ -z "${KEEP:-}" ]; then rm -rf "$work"; fi
}
interrupted=
trap cleanup EXIT
# Without these a Ctrl-C would end only the programs, and the runs would go on without them.
trap 'interrupted=1; exit 130' INT
trap 'interrupted=1; exit 143' TERM

echo "faults: $faults; ${duration} s each, at the same time; work folder $work"
for fault in $faults; do
  run_fault "$fault" "$(fault_number "$fault")" &
  fault_pids+=($!)
done
# The first run that fails stops them all.
running=("${fault_pids[@]}")
while [ "${#running[@]}" -gt 0 ]; do
  nap 1
  left=()
  for pid in "${running[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      left+=("$pid")
    else
      wait "$pid" || { echo "a fault run failed; kept $work" >&2; exit 1; }
    fi
  done
  running=("${left[@]}")
done
fault_pids=()

read -ra fault_list <<<"$faults"
python3 "$root/bench/fault_soak_report.py" "$work" "${fault_list[@]}"
if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
