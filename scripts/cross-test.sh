#!/usr/bin/env bash
# Cross-builds headless Helvanta for an ARM Debian box and runs every test under
# qemu-user, on this amd64 machine.
#   scripts/cross-test.sh <arm64|armhf> [ctest arguments...]
# Installs what is missing: the cross compiler, the target's libraries (multiarch, beside
# the host's), qemu-user-static and binfmt-support. Tests that start a built program as a
# child process need the kernel to hand it to qemu (binfmt_misc); where that cannot be
# set up they are left out and named. The cases labelled emulator_unsafe are always left
# out: qemu-user itself makes them fail (see the README).
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1

arch=${1:-}
case "$arch" in
  arm64) qemu=qemu-aarch64 ;;
  armhf) qemu=qemu-arm ;;
  *)
    echo "usage: scripts/cross-test.sh <arm64|armhf> [ctest arguments...]" >&2
    exit 2
    ;;
esac
shift

scripts/install-deps.sh

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
# The :$arch libraries must be the same versions as the host's, so an update can also
# bring newer host packages of the same names.
packages=("crossbuild-essential-$arch" "libsqlite3-dev:$arch" "libmosquitto-dev:$arch" "libmicrohttpd-dev:$arch"
          "libcurl4-openssl-dev:$arch"
          "libgtest-dev:$arch" "libgmock-dev:$arch" "libfaketime:$arch" qemu-user-static binfmt-support)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx "$arch" || "${sudo_cmd[@]}" dpkg --add-architecture "$arch"
  # Other builds on the machine may be installing too: wait for them.
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y \
    --no-install-recommends "${missing[@]}"
fi

# binfmt_misc lets a test start the foreign helvanta and helvanta-sim directly.
binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/status" ]; then
  "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" ||
    echo "cross-test: binfmt_misc could not be mounted on $binfmt" >&2
fi
if [ -e "$binfmt/status" ] && ! grep -qx enabled "$binfmt/$qemu" 2>/dev/null; then
  "${sudo_cmd[@]}" update-binfmts --enable "$qemu" || echo "cross-test: update-binfmts --enable $qemu failed" >&2
fi

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
