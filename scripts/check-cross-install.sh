#!/usr/bin/env bash
# Checks the helvanta package of an ARM box on this amd64 machine: installs it with apt
# into a Debian 12 tree of that architecture (debootstrap; its programs run through
# qemu-user via binfmt_misc), runs `helvanta --version` there, then the service for
# three minutes against this machine's own simulator, whose pseudo-terminal is bound
# into the tree, and checks its CSV records, history rows and orderly stop.
#   scripts/check-cross-install.sh <arm64|armhf> [package .deb, default build/helvanta_<version>_<arch>.deb]
# Needs root. The base tree is made once, from the Debian mirror of this machine's apt
# sources, in $HELVANTA_CHECK_CACHE (default /var/cache/helvanta-check); every run
# uses a fresh copy of it. The simulator is $HELVANTA_SIM, else the one of the default
# build, else helvanta-sim on the PATH. Prints each check with ok or FAILED and exits 1
# after a failure; exits 0 with "skipped: <reason>" where the tree cannot be run here.
# shellcheck disable=SC2317,SC2016
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-}
case "$arch" in
  arm64 | armhf) ;;
  *)
    echo "usage: scripts/check-cross-install.sh <arm64|armhf> [package .deb]" >&2
    exit 2
    ;;
esac
cache=${HELVANTA_CHECK_CACHE:-/var/cache/helvanta-check}
base=$cache/bookworm-$arch
tree=$cache/run-$arch
log=$cache/$arch.log
link=/run/helvanta-sim/COM1
data=/var/lib/helvanta/Data
run_seconds=${HELVANTA_RUN_SECONDS:-180}

# shellcheck source=scripts/check-steps.sh
source "$root/scripts/check-steps.sh"
failure_details() { echo "apt and the service's output: $log"; }

[ "$(id -u)" -eq 0 ] || skip "needs root for debootstrap and systemd-nspawn"
mkdir -p "$cache"
: >"$log"

deb=${2:-}
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
[ -n "$deb" ] || deb=$root/build/helvanta_${version}_$arch.deb
[ -f "$deb" ] || { echo "no package $deb: build it with packaging/build-deb.sh --arch $arch" >&2; exit 1; }
sim=${HELVANTA_SIM:-$root/build/default/tools/sim/helvanta-sim}
[ -x "$sim" ] || sim=$(command -v helvanta-sim) ||
  { echo "no simulator: build it with cmake --build --preset default" >&2; exit 1; }

"$root/scripts/install-cross-deps.sh" "$arch" >>"$log" 2>&1 || skip "could not install the cross tools; see $log"
qemu="qemu-aarch64"
[ "$arch" = arm64 ] || qemu="qemu-arm"
grep -qx enabled "/proc/sys/fs/binfmt_misc/$qemu" 2>/dev/null ||
  skip "the kernel does not run $arch programs through $qemu (binfmt_misc)"
missing=()
command -v debootstrap >/dev/null || missing+=(debootstrap)
command -v systemd-nspawn >/dev/null || missing+=(systemd-container)
command -v sqlite3 >/dev/null || missing+=(sqlite3)
if [ ${#missing[@]} -gt 0 ]; then
  { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    --no-install-recommends "${missing[@]}"; } >>"$log" 2>&1 || skip "could not install ${missing[*]}; see $log"
fi

# shellcheck source=scripts/debian-mirror.sh
source "$root/scripts/debian-mirror.sh"
if [ ! -x "$base/usr/bin/apt-get" ]; then
  mirror=$(host_mirror)
  [ -n "$mirror" ] || skip "no bookworm mirror in this machine's apt sources for debootstrap"
  rm -rf "$base.new"
  echo "making the Debian 12 $arch tree $base with debootstrap (once)"
  # With binfmt_misc, debootstrap runs the foreign second stage itself.
  debootstrap --arch="$arch" --variant=minbase bookworm "$base.new" "$mirror" >"$cache/debootstrap-$arch.log" 2>&1 ||
    skip "debootstrap failed; see $cache/debootstrap-$arch.log"
  echo "deb $mirror bookworm main" >"$base.new/etc/apt/sources.list"
  mv "$base.new" "$base"
fi
rm -rf "$tree"
cp -a --reflink=auto "$base" "$tree"
cp "$deb" "$tree/root/helvanta.deb"

# Each command is a container of its own on the same tree, sharing this machine's network.
inside() {
  systemd-nspawn --quiet --register=no --keep-unit -D "$tree" "${binds[@]}" \
    /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"
}
binds=()

install_package() {
  inside apt-get update -q >>"$log" 2>&1 &&
    inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /root/helvanta.deb >>"$log" 2>&1
}
must "apt-get installs $(basename "$deb") into the $arch tree" install_package

no_qt() {
  ! inside dpkg-query -W -f='${Package}\n' 2>>"$log" | grep -q '^libqt'
}
check "no Qt library came with it" no_qt

version_line=
version_check() {
  version_line=$(inside /usr/bin/helvanta --version 2>>"$log" | head -n 1)
  echo "  $version_line"
  inside dpkg-query -W -f='${Architecture}' helvanta 2>>"$log" | grep -qx "$arch" && [ -n "$version_line" ] &&
    [[ $version_line == *"${version%-*}"* ]]
}
check "helvanta --version runs under $qemu" version_check

# This machine's simulator, its day at noon so that the sun shines; its pseudo-terminal
# is bound into the tree and given to the group dialout, as a real serial port is.
work=$(mktemp -d)
"$sim" --start 12:00:00 --seed 1 >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do
  [ -s "$work/sim.out" ] && break
  sleep 0.1
done
pty=$(head -n 1 "$work/sim.out")
sim_started() {
  [ -c "$pty" ] && chgrp dialout "$pty" && chmod 660 "$pty"
}
must "the native simulator runs on ${pty:-no device}" sim_started
binds=("--bind=$pty:$link")

cat >"$tree/etc/helvanta/Helvanta.ini" <<INI
[Data Logging]
ComPort=COM1
From=00:00:00
Till=23:59:59
RequestInterval=1
ReceivePseudoData=0

[Ports]
COM1=$link
INI

# The service as its unit runs it: as helvanta, from /etc/helvanta into /var/lib/helvanta.
service_run() {
  echo "  running the service for $run_seconds s"
  inside runuser -u helvanta -- timeout --preserve-status -s TERM "$run_seconds" /usr/bin/helvanta -service \
    >>"$log" 2>&1
}
check "the service runs $run_seconds s and stops in order on SIGTERM" service_run

csv_records() {
  # A record starts with its date, right-aligned in its column.
  cat "$tree$data"/*.csv 2>/dev/null | grep -c '^[[:space:]]*[0-9]'
}
history_rows() {
  sqlite3 -readonly "$tree$data/helvanta.sqlite" 'SELECT count(*) FROM minute' 2>/dev/null || echo 0
}
# Three minutes hold at least two minute marks.
records() {
  local count
  count=$(csv_records)
  echo "  $count CSV records"
  [ "$count" -ge 2 ]
}
check "CSV records in $data" records
rows() {
  local count
  count=$(history_rows)
  echo "  $count history rows"
  [ "$count" -ge 2 ]
}
check "history rows in $data/helvanta.sqlite" rows

finish
