#!/usr/bin/env bash
# Builds the Debian packages helvanta and helvanta-window from debian/ with
# dpkg-buildpackage, in a copy of the source tree, and checks them with lintian.
#   packaging/build-deb.sh [--arch arm64|armhf] [build folder, default build/deb] [output folder, default build]
# The packages' version is the newest entry of debian/changelog; the .debs, .buildinfo
# and .changes go to the output folder. With --arch the package helvanta alone is
# cross-built for that architecture (profile pkg.helvanta.nowindow: the machine has no
# Qt for it); debhelper then takes the cross compiler, pkg-config and strip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$(dpkg-architecture -qDEB_BUILD_ARCH)
cross=()
if [ "${1:-}" = --arch ]; then
  arch=${2:?--arch needs arm64 or armhf}
  shift 2
fi
build=$(realpath -m "${1:-$root/build/deb}")
out=$(realpath -m "${2:-$root/build}")
umask 022

"$root/scripts/install-deps.sh"
if [ "$arch" != "$(dpkg-architecture -qDEB_BUILD_ARCH)" ]; then
  "$root/scripts/install-cross-deps.sh" "$arch"
  cross=("--host-arch=$arch" --build-profiles=pkg.helvanta.nowindow)
fi
# The packaging tools: debhelper and dpkg-buildpackage, rsvg-convert for the icons, lintian.
tools=(debhelper dpkg-dev librsvg2-bin lintian)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# dpkg-buildpackage writes beside the source folder and cleans inside it, so it works
# on a copy: the tracked and new files of the tree, without build/ and other ignored ones.
source=$build/helvanta
rm -rf "$source"
mkdir -p "$source"
(cd "$root" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) | tar -xf - -C "$source"
rm -f "$build"/*.deb "$build"/*.buildinfo "$build"/*.changes
export CCACHE_BASEDIR=$source CCACHE_NOHASHDIR=1
(cd "$source" && dpkg-buildpackage -us -uc -b "${cross[@]}")

mkdir -p "$out"
debs=("$build"/*.deb)
mv "${debs[@]}" "$build"/*.buildinfo "$build"/*.changes "$out/"
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
changes=$out/helvanta_${version}_$arch.changes
echo "Built:"
printf '  %s\n' "${debs[@]/#$build/$out}"
# lintian refuses to run as root; a user that may read the packages runs it.
lint=(lintian --fail-on error --info --show-overrides "$changes")
if [ "$(id -u)" -eq 0 ]; then
  runuser -u nobody -- "${lint[@]}"
else
  "${lint[@]}"
fi
