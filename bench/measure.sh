# Sourced by the soak benchmarks: what they measure of a running process.

# The ratio of two CPU times, or "n/a" when the floor took none.
cpu_ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }

# CPU seconds of a running process, all its threads, in nanosecond steps (the clock
# ticks of /proc/PID/stat are too coarse for a process this quiet).
process_cpu_seconds() {
  cat /proc/"$1"/task/*/schedstat | awk '{ ns += $1 } END { printf "%.3f", ns / 1e9 }'
}

# Peak resident memory of a running process, in kB.
peak_rss() { awk '/^VmHWM/ {print $2}' "/proc/$1/status"; }

# A TCP port on the loopback address that nobody listens on now.
free_loopback_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# How late in its wall-clock second each request telegram arrived (ms), from a
# simulator's --log, over the whole run and between two times (seconds since the epoch)
# during which something was held up, named by the last argument.
#   request_lateness <telegram log> <from> <till> <what happened meanwhile>
request_lateness() {
  python3 - "$@" <<'PY'
import sys, datetime
path, since, till, what = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
every, held = [], []
for line in open(path):
    words = line.split()
    if len(words) < 3 or words[2] != "rx":
        continue
    t = datetime.datetime.strptime(words[0], "%Y-%m-%dT%H:%M:%S.%f")
    ms = t.microsecond / 1000
    every.append(ms)
    if since <= t.timestamp() <= till:
        held.append(ms)
def show(values):
    if not values:
        return "none"
    values = sorted(values)
    return "n=%d median %.0f ms, max %.0f ms" % (len(values), values[len(values) // 2], values[-1])
print(show(every) + " | while " + what + ": " + show(held))
PY
}

# Reads the CPU time and peak RSS of each named run's service, ${service_pid[run]}, into
# cpu[run] and rss[run], then stops it; the caller declares the three associative arrays.
measure_and_stop_services() {
  local run
  for run in "$@"; do
    kill -0 "${service_pid[$run]}" 2>/dev/null || { echo "the $run service ended early" >&2; exit 1; }
    cpu[$run]=$(process_cpu_seconds "${service_pid[$run]}")
    rss[$run]=$(peak_rss "${service_pid[$run]}")
    kill -TERM "${service_pid[$run]}"
    wait "${service_pid[$run]}" || true
  done
}
