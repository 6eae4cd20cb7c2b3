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
