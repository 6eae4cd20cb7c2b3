# Sourced by the soak benchmarks: runs bench/wire_floor beside the program under test,
# against a simulator of its own at the line rate, so that both do the same wire work on
# the same machine at the same time.
#   start_wire_floor <build folder> <work folder> <seconds> [helvanta-sim options...]
#   finish_wire_floor          # waits for the floor; sets floor_cpu and floor_answers
#   stop_wire_floor            # ends what start_wire_floor started (for a trap)
start_wire_floor() {
  local build=$1 work=$2 seconds=$3
  shift 3
  "$build/tools/sim/helvanta-sim" "$@" >"$work/floor-sim.out" 2>"$work/floor-sim.log" &
  floor_sim_pid=$!
  for _ in $(seq 50); do
    [ -s "$work/floor-sim.out" ] && break
    sleep 0.1
  done
  local device
  device=$(head -n 1 "$work/floor-sim.out")
  [ -n "$device" ] || { echo "the floor's simulator named no device; see $work/floor-sim.log" >&2; return 1; }
  "$build/bench/wire_floor" "$device" "$seconds" >"$work/floor.out" &
  floor_pid=$!
}

finish_wire_floor() {
  wait "$floor_pid"
  floor_pid=
  read -r floor_cpu floor_answers <"$work/floor.out"
}

stop_wire_floor() {
  local p
  for p in ${floor_pid:-} ${floor_sim_pid:-}; do
    kill "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
  floor_pid=
  floor_sim_pid=
}
