# Sourced by run.sh and the soak benchmarks: lays out a fresh folder with copies of
# helvanta and helvanta-window, the default template and a Data folder, starts
# helvanta-sim and writes a Helvanta.ini that polls it all day at interval 1. With
# --link PATH among the options the settings name the link instead of the device, so
# that a simulator started again on the same link is found.
#   start_sim_folder <build folder> <work folder> [helvanta-sim options...]
# Sets sim_pid and pty; the caller stops the simulator.
start_sim_folder() {
  local build=$1 work=$2
  shift 2
  local source_root
  source_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  mkdir -p "$work/Data"
  cp "$build/src/app/helvanta" "$work/helvanta"
  # Window mode runs helvanta-window from the same folder; a build without Qt has none.
  if [ -x "$build/src/app/helvanta-window" ]; then
    cp "$build/src/app/helvanta-window" "$work/helvanta-window"
  fi
  cp "$source_root/packaging/Template.csv" "$work/Template.csv"

  # The simulator prints the pseudo-terminal to open on its first line.
  "$build/tools/sim/helvanta-sim" "$@" >"$work/sim.out" 2>"$work/sim.log" &
  sim_pid=$!
  for _ in $(seq 50); do
    [ -s "$work/sim.out" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { echo "helvanta-sim did not start; see $work/sim.log" >&2; return 1; }
    sleep 0.1
  done
  pty=$(head -n 1 "$work/sim.out")
  [ -n "$pty" ] || { echo "helvanta-sim named no device; see $work/sim.log" >&2; return 1; }

  local port=$pty arg previous=
  for arg in "$@"; do
    [ "$previous" = --link ] && port=$arg
    case $arg in --link=*) port=${arg#--link=} ;; esac
    previous=$arg
  done

  cat >"$work/Helvanta.ini" <<INI
[Data Logging]
ComPort=COM1
From=00:00:00
Till=23:59:59
RequestInterval=1
ReceivePseudoData=0
TemplateFile=$work/Template.csv
OutputFolder=$work/Data

[Ports]
COM1=$port
INI
}
