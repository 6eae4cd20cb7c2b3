#!/usr/bin/env bash
# Checks the helvanta package's HelvantaService under a real systemd: boots a Debian 12
# tree of its own with systemd-nspawn --boot, installs the package there with apt, lets
# the service poll helvanta-sim from the package, and checks start, readiness, the
# journal, the CSV and history records, stop, the sandbox's exposure score, a hang-up
# of the line and purging.
#   scripts/check-systemd.sh [package .deb, default build/helvanta_<version>_<arch>.deb]
# Needs root. The base tree is made once with debootstrap, from the Debian mirror of
# this machine's apt sources, in $HELVANTA_CHECK_CACHE (default
# /var/cache/helvanta-check); every run boots a fresh copy of it. Prints each check
# with ok or FAILED and exits 1 after a failure; exits 0 with "skipped: <reason>" where
# no systemd can be booted here.
# The checks are functions that check() calls.
# shellcheck disable=SC2317
set -uo pipefail
leader=
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${HELVANTA_CHECK_CACHE:-/var/cache/helvanta-check}
base=$cache/bookworm
tree=$cache/run
machine=helvanta-check
link=/run/helvanta-sim/COM1
data=/var/lib/helvanta/Data
# The unit's sandbox is meant to stay at or below this exposure level.
max_exposure=2.0

# shellcheck source=scripts/check-steps.sh
source "$root/scripts/check-steps.sh"
failure_details() {
  if [ -n "$leader" ]; then
    echo "the service's journal in the container:"
    inside journalctl -q -b -u HelvantaService -n 30 --no-pager | sed 's/^/  /'
  fi
  echo "container console: $cache/console.log; apt: $cache/apt.log"
}

[ "$(id -u)" -eq 0 ] || skip "needs root for debootstrap and systemd-nspawn"
mkdir -p "$cache"

deb=${1:-}
if [ -z "$deb" ]; then
  version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
  deb=$root/build/helvanta_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).deb
fi
[ -f "$deb" ] || { echo "no package $deb: build it with packaging/build-deb.sh" >&2; exit 1; }

missing=()
command -v debootstrap >/dev/null || missing+=(debootstrap)
command -v systemd-nspawn >/dev/null || missing+=(systemd-container)
if [ ${#missing[@]} -gt 0 ]; then
  if ! { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    --no-install-recommends "${missing[@]}"; } >"$cache/tools.log" 2>&1; then
    skip "could not install ${missing[*]}; see $cache/tools.log"
  fi
fi

# shellcheck source=scripts/debian-mirror.sh
source "$root/scripts/debian-mirror.sh"

if [ ! -x "$base/lib/systemd/systemd" ]; then
  mirror=$(host_mirror)
  [ -n "$mirror" ] || skip "no bookworm mirror in this machine's apt sources for debootstrap"
  rm -rf "$base.new"
  echo "making the Debian 12 tree $base with debootstrap (once)"
  debootstrap --variant=minbase --include=systemd,systemd-sysv,dbus,sqlite3 bookworm "$base.new" "$mirror" \
    >"$cache/debootstrap.log" 2>&1 || skip "debootstrap failed; see $cache/debootstrap.log"
  echo "deb $mirror bookworm main" >"$base.new/etc/apt/sources.list"
  # A machine ID of its own on every boot, as on a first boot.
  : >"$base.new/etc/machine-id"
  mv "$base.new" "$base"
fi

rm -rf "$tree"
cp -a --reflink=auto "$base" "$tree"
cp "$deb" "$tree/root/helvanta.deb"

# The host may run no systemd of its own, so the container is neither registered with
# machined nor given a scope; commands go in through its namespaces.
systemd-nspawn --quiet --register=no --keep-unit --machine="$machine" -D "$tree" --boot \
  </dev/null >"$cache/console.log" 2>&1 &
nspawn_pid=$!
stop_container() {
  kill -0 "$nspawn_pid" 2>/dev/null || return 0
  # nspawn turns SIGTERM into an orderly shutdown of the container.
  kill -TERM "$nspawn_pid"
  for _ in $(seq 100); do
    kill -0 "$nspawn_pid" 2>/dev/null || return 0
    sleep 0.2
  done
  kill -KILL "$nspawn_pid"
}
trap stop_container EXIT

# The container's PID 1 is the process whose parent is nspawn and whose command is systemd.
for _ in $(seq 300); do
  for pid in $(pgrep -P "$nspawn_pid"); do
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = systemd ] && leader=$pid
  done
  [ -n "$leader" ] && break
  kill -0 "$nspawn_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$leader" ]; then
  reason=$(grep -v '^$' "$cache/console.log" | tail -n 1)
  skip "systemd-nspawn could not boot systemd here: ${reason:-no output}"
fi

inside() {
  nsenter --target "$leader" --all -- /usr/bin/env -i \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 SYSTEMD_PAGER= "$@"
}
# Until systemd listens, systemctl cannot reach it and names no state.
booted() {
  local state=
  for _ in $(seq 240); do
    state=$(inside systemctl is-system-running 2>/dev/null)
    case $state in running | degraded) break ;; esac
    sleep 0.5
  done
  echo "  system state: ${state:-none}"
  [ "$state" = running ] || [ "$state" = degraded ]
}
must "systemd $(inside systemctl --version | head -n 1 | cut -d' ' -f2) boots as PID 1 of the container" booted

install_package() {
  inside apt-get update -q >"$cache/apt.log" 2>&1 &&
    inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /root/helvanta.deb >>"$cache/apt.log" 2>&1
}
must "apt-get installs the package" install_package

# The simulator runs inside as a unit of its own, as the user helvanta so that the
# service may open its pseudo-terminal, and is reached through a fixed link that stays
# when it is started again. Its day starts at noon so that the sun shines.
start_sim() {
  inside systemd-run --quiet --collect --unit=helvanta-sim --property=User=helvanta \
    --property=RuntimeDirectory=helvanta-sim \
    /usr/bin/helvanta-sim --link "$link" --start 12:00:00 --seed 1 || return 1
  for _ in $(seq 50); do
    inside test -c "$link" && return 0
    sleep 0.1
  done
  return 1
}
must "helvanta-sim runs in the container on $link" start_sim

write_settings() {
  inside sh -c "cat >/etc/helvanta/Helvanta.ini" <<INI
[Data Logging]
ComPort=COM1
From=00:00:00
Till=23:59:59
RequestInterval=1
ReceivePseudoData=0

[Ports]
COM1=$link
INI
}
must "/etc/helvanta/Helvanta.ini names the simulator's line" write_settings

must "systemctl enable --now HelvantaService" inside systemctl enable --now --quiet HelvantaService

active() {
  [ "$(inside systemctl is-active HelvantaService)" = active ]
}
check "the unit is active" active

# A Type=notify unit becomes active only on READY=1; systemd then logs "Started".
ready() {
  [ "$(inside systemctl show -P Type HelvantaService)" = notify ] &&
    inside journalctl -q -b -u HelvantaService -o cat | grep -q '^Started '
}
check "READY arrived (Type=notify, \"Started\" logged)" ready

# Waits up to the given seconds for an event under HelvantaService that holds the text.
journal_has() {
  local seconds=$1 text=$2
  for _ in $(seq $((seconds * 5))); do
    inside journalctl -q -b -t HelvantaService -o cat | grep -qF "$text" && return 0
    sleep 0.2
  done
  return 1
}
check "the journal has the start event under HelvantaService" journal_has 10 "Service started."

# Records are written at minute marks, so each wait covers the next two of them.
csv_records() {
  # A record starts with its date, right-aligned in its column.
  inside sh -c "cat $data/*.csv 2>/dev/null" | grep -c '^[[:space:]]*[0-9]'
}
history_rows() {
  # As the service's user, so that files sqlite adds beside the database stay its own.
  inside runuser -u helvanta -- sqlite3 -readonly "$data/helvanta.sqlite" 'SELECT count(*) FROM minute' 2>/dev/null ||
    echo 0
}
wait_for_more() {
  local count=$1 before=$2
  for _ in $(seq 130); do
    [ "$("$count")" -gt "$before" ] && return 0
    sleep 1
  done
  return 1
}
check "a CSV record appears in $data" wait_for_more csv_records 0
check "a history row appears in $data/helvanta.sqlite" wait_for_more history_rows 0

# A hang-up: the simulator goes away with its pseudo-terminal and comes back on a new
# one behind the same link.
main_pid=$(inside systemctl show -P MainPID HelvantaService)
hang_up() {
  inside systemctl stop helvanta-sim && journal_has 10 "the line hung up"
}
check "stopping the simulator logs the hang-up" hang_up
check "helvanta-sim starts again on $link" start_sim
# Reopening waits 5 s after the first failure and twice as long after each further one.
check "the service connects again" journal_has 60 "Connected to Siemens SPN1000 again"
records=$(csv_records)
check "records resume after the hang-up" wait_for_more csv_records "$records"
same_process() {
  [ "$(inside systemctl show -P MainPID HelvantaService)" = "$main_pid" ]
}
check "the service rode out the hang-up without a restart" same_process

stopped() {
  inside systemctl stop HelvantaService && journal_has 10 "Service stopped."
}
check "systemctl stop writes the stop event" stopped

exposure=
security() {
  exposure=$(inside systemd-analyze security --no-pager HelvantaService |
    sed -n 's/.*Overall exposure level for HelvantaService.service: \([0-9.]*\).*/\1/p')
  echo "  exposure level: ${exposure:-none}"
  [ -n "$exposure" ] && awk -v e="$exposure" -v m="$max_exposure" 'BEGIN { exit !(e <= m) }'
}
check "systemd-analyze security HelvantaService scores <= $max_exposure" security

purged() {
  inside env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q helvanta >>"$cache/apt.log" 2>&1 &&
    ! inside systemctl cat HelvantaService >/dev/null 2>&1 &&
    [ ! -e "$tree/lib/systemd/system/HelvantaService.service" ]
}
check "apt-get purge removes the unit" purged
logs_kept() {
  [ "$(csv_records)" -gt 0 ] && [ -s "$tree$data/helvanta.sqlite" ]
}
check "the logs and history stay after purging" logs_kept

finish
