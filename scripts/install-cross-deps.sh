#!/usr/bin/env bash
# Installs what building headless Helvanta for an ARM Debian box needs on this amd64
# machine, when any is missing: the cross compiler, the target's libraries and
# pkg-config (multiarch, beside the host's), and qemu-user-static with binfmt-support;
# then it lets the kernel hand the target's programs to qemu (binfmt_misc), so that
# tests and containers can start them directly.
#   scripts/install-cross-deps.sh <arm64|armhf>
set -euo pipefail
arch=$1
case "$arch" in
  arm64) qemu="qemu-aarch64" ;;
  armhf) qemu="qemu-arm" ;;
  *)
    echo "usage: scripts/install-cross-deps.sh <arm64|armhf>" >&2
    exit 2
    ;;
esac
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
# The :$arch libraries must be the same versions as the host's, so an update can also
# bring newer host packages of the same names.
packages=("crossbuild-essential-$arch" "libsqlite3-dev:$arch" "libmosquitto-dev:$arch" "libmicrohttpd-dev:$arch"
          "libcurl4-openssl-dev:$arch"
          "libgtest-dev:$arch" "libgmock-dev:$arch" "libfaketime:$arch" "pkg-config:$arch"
          qemu-user-static binfmt-support)
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

binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/status" ]; then
  "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" ||
    echo "install-cross-deps: binfmt_misc could not be mounted on $binfmt" >&2
fi
if [ -e "$binfmt/status" ] && ! grep -qx enabled "$binfmt/$qemu" 2>/dev/null; then
  "${sudo_cmd[@]}" update-binfmts --enable "$qemu" || echo "install-cross-deps: update-binfmts --enable $qemu failed" >&2
fi
