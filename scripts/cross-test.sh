#!/usr/bin/env bash
# Cross-builds headless Helvanta for an ARM Debian box and runs every test under
# qemu-user, on this amd64 machine.
#   scripts/cross-test.sh <arm64|armhf> [ctest arguments...]
# Installs what is missing (scripts/install-cross-deps.sh). Tests that start a built
# program as a child process need the kernel to hand it to qemu (binfmt_misc); where
# that cannot be set up they are left out and named. The cases labelled emulator_unsafe are always left
# out: qemu-user itself makes them fail (see the README).
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1

arch=${1:-}
case "$arch" in
  arm64) qemu="qemu-aarch64" ;;
  armhf) qemu="qemu-arm" ;;
  *)
    echo "usage: scripts/cross-test.sh <arm64|armhf> [ctest arguments...]" >&2
    exit 2
    ;;
esac
shift

scripts/install-deps.sh
scripts/install-cross-deps.sh "$arch"

binfmt=/proc/sys/fs/binfmt_misc
cmake --preset "$arch"
cmake --build --preset "$arch"
if grep -qx enabled "$binfmt/$qemu" 2>/dev/null; then
  ctest --preset "$arch" "$@"
else
  # The test preset leaves out emulator_unsafe; a second -LE would narrow that rather
  # than widen it, so the child-process cases are left out by name.
  mapfile -t names < <(ctest --preset "$arch" -N -L starts_programs | sed -n 's/^ *Test *#[0-9]*: //p')
  echo "cross-test: the kernel does not run $arch programs through $qemu, so these tests" \
    "(label starts_programs) are left out:" >&2
  printf '  %s\n' "${names[@]}" >&2
  pattern=$(printf '%s\n' "${names[@]}" | sed 's/\./\\./g' | paste -sd '|')
  ctest --preset "$arch" -E "^($pattern)\$" "$@"
fi
