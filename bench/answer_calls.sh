#!/usr/bin/env bash
# Counts the system calls of `helvanta -service` per answer, by kind, over ANSWERS
# seconds of polling at interval 1 (default 60), and those of bench/wire_floor doing the
# same wire work beside it in the same run, each against a simulator of its own; both
# are counted with strace -f -c, answers from the simulators' logs. The count starts
# after WARMUP seconds (default 110): the history opens at the first full minute after
# a whole round of values (46 answers), so that what is counted is the steady state, the
# answers and the records of each minute. With perf at hand the service's total is also taken from the kernel's
# system-call tracepoint, as a check on strace's count.
# Then the answer-to-delivery latency of the serial port (bench/serial_bench), untraced.
# Target: at most 8 calls per answer; latency median < 1 ms, p99 < 5 ms. Other work on
# the machine shows in the load printed first and last.
#   ANSWERS=120 WARMUP=5 bench/answer_calls.sh [build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
answers=${ANSWERS:-60}
latency_answers=${LATENCY_ANSWERS:-5000}
warmup=${WARMUP:-110}
command -v strace >/dev/null || { echo "strace is missing (apt-get install strace)" >&2; exit 1; }

work=$(mktemp -d /tmp/helvanta-calls-XXXXXX)
sim_pid=
service_pid=
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  stop_wire_floor
  wait 2>/dev/null || true
  [ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
source scripts/sim-folder.sh
source bench/wire_floor.sh
echo "load before: $(uptime)"
start_sim_folder "$build" "$work" --log "$work/sim-tx.log"
start_wire_floor "$build" "$work" $((warmup + answers + 3)) --log "$work/floor-tx.log"
"$work/helvanta" -service 2>"$work/events.txt" &
service_pid=$!
sleep "$warmup"
kill -0 "$service_pid" 2>/dev/null || { echo "the service ended early:" >&2; cat "$work/events.txt" >&2; exit 1; }

answers_logged() { grep -c ' tx ' "$1" 2>/dev/null || true; }
service_before=$(answers_logged "$work/sim-tx.log")
floor_before=$(answers_logged "$work/floor-tx.log")
strace -f -c -o "$work/service.calls" -p "$service_pid" 2>/dev/null &
service_strace=$!
strace -f -c -o "$work/floor.calls" -p "$floor_pid" 2>/dev/null &
floor_strace=$!
perf_pid=
if command -v perf >/dev/null; then
  perf stat -x, -e raw_syscalls:sys_enter -o "$work/service.perf" -p "$service_pid" 2>/dev/null &
  perf_pid=$!
fi
sleep "$answers"
kill -INT "$service_strace" "$floor_strace" $perf_pid
wait "$service_strace" "$floor_strace" $perf_pid || true
service_answers=$(( $(answers_logged "$work/sim-tx.log") - service_before ))
floor_answers=$(( $(answers_logged "$work/floor-tx.log") - floor_before ))

# One line: total calls per answer, then each kind per answer, most frequent first.
per_answer() {
  local kinds
  kinds=$(awk '$1 ~ /^[0-9.]+$/ && $NF != "total" { print $4, $NF }' "$1" | sort -rn |
    awk -v n="$2" '{ printf " %s %.2f", $2, $1 / n }')
  awk -v n="$2" '$1 ~ /^[0-9.]+$/ && $NF != "total" { t += $4 } END { printf "%.2f per answer:", t / n }' "$1"
  echo "$kinds"
}
echo "service (${service_answers} answers): $(per_answer "$work/service.calls" "$service_answers") (target <= 8)"
if [ -n "$perf_pid" ]; then
  awk -F, -v n="$service_answers" '$3 == "raw_syscalls:sys_enter" { printf "service by perf stat: %.2f per answer\n", $1 / n }' \
    "$work/service.perf"
fi
echo "wire floor (${floor_answers} answers): $(per_answer "$work/floor.calls" "$floor_answers")"
kill -TERM "$service_pid"
wait "$service_pid" || true
service_pid=
stop_wire_floor

"$build/bench/serial_bench" 0 "$latency_answers" | grep '^latency'
echo "load after: $(uptime)"
