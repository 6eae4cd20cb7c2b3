#!/usr/bin/env bash
# Builds helvanta_<version>-<revision>_<arch>.deb from a Release build and checks it
# with lintian. The package holds the /opt/helvanta layout of cmake --install, with
# Helvanta.ini as a configuration file in /etc/helvanta (linked from /opt/helvanta),
# the desktop file and icons in /usr/share, and the systemd unit in /lib/systemd/system,
# shipped but not enabled. Its maintainer scripts create the service user.
#   packaging/build-deb.sh [build folder, default build/deb] [output folder, default build]
# DEB_REVISION sets the Debian revision (default 1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/deb}")
out=$(realpath -m "${2:-$root/build}")
revision=${DEB_REVISION:-1}
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
umask 022

"$root/scripts/install-deps.sh"
# The packaging tools: dpkg-shlibdeps, rsvg-convert for the icons, lintian.
tools=(dpkg-dev librsvg2-bin lintian)
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

version=$(sed -n 's/^project(Helvanta VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "build-deb.sh: no version in CMakeLists.txt" >&2; exit 1; }
arch=$(dpkg --print-architecture)
deb=$out/helvanta_${version}-${revision}_${arch}.deb

# Debian's hardening flags, all of them (stack protector, fortify, relro and bindnow,
# format checks). Fortify marks more calls warn_unused_result than a plain build does
# (ftruncate, in the logger's best-effort rollback of a half-written record), so those
# stay warnings.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHELVANTA_BUILD_TESTS=OFF \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DCMAKE_CXX_FLAGS="$(cd "$root" && dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j2

stage=$build/deb-root
rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /opt/helvanta
opt=$stage/opt/helvanta
# Stripped as dh_strip does; the list also feeds dpkg-shlibdeps below.
programs=()
for f in "$opt"/*; do
  if [ -f "$f" ] && [ ! -L "$f" ] && [ -x "$f" ]; then
    strip --remove-section=.comment --remove-section=.note "$f"
    programs+=("-e$f")
  fi
done

# The settings are a configuration file; the program reads and writes them through the link.
install -d "$stage/etc/helvanta"
mv "$opt/Helvanta.ini" "$stage/etc/helvanta/Helvanta.ini"
ln -s /etc/helvanta/Helvanta.ini "$opt/Helvanta.ini"

install -d "$stage/usr/share"
mv "$opt/share/applications" "$opt/share/icons" "$stage/usr/share/"
rmdir "$opt/share"
for size in 16 32 48 64 128 256; do
  icons=$stage/usr/share/icons/hicolor/${size}x${size}/apps
  install -d "$icons"
  rsvg-convert -w "$size" -h "$size" "$root/packaging/helvanta.svg" -o "$icons/helvanta.png"
done

install -d "$stage/lib/systemd/system"
"$build/tools/service_unit/helvanta-service-unit" /opt/helvanta/helvanta /opt/helvanta/Data \
  >"$stage/lib/systemd/system/HelvantaService.service"

docs=$stage/usr/share/doc/helvanta
install -d "$docs" "$stage/usr/share/lintian/overrides"
install -m 0644 "$root/packaging/debian/copyright" "$docs/copyright"
install -m 0644 "$root/packaging/debian/helvanta.lintian-overrides" "$stage/usr/share/lintian/overrides/helvanta"
# Dated by the last commit, so that the same tree gives the same package.
date=$(date -R -u -d "@$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)")
printf 'helvanta (%s-%s) unstable; urgency=medium\n\n  * Package built from the Helvanta source tree.\n\n -- Helvanta <helvanta@example.org>  %s\n' \
  "$version" "$revision" "$date" | gzip -9n >"$docs/changelog.Debian.gz"

install -d "$stage/DEBIAN"
for script in postinst prerm postrm; do
  install -m 0755 "$root/packaging/debian/$script" "$stage/DEBIAN/$script"
done
echo /etc/helvanta/Helvanta.ini >"$stage/DEBIAN/conffiles"

# Dependencies from the libraries the programs link; dpkg-shlibdeps wants a debian/control.
shlibs=$build/deb-shlibs
rm -rf "$shlibs"
install -d "$shlibs/debian"
printf 'Source: helvanta\n\nPackage: helvanta\nArchitecture: any\n' >"$shlibs/debian/control"
# libmosquitto and libmicrohttpd are loaded only when MQTT or the web page is on, so
# dpkg-shlibdeps cannot see them: they are named by hand below.
depends=$(cd "$shlibs" && dpkg-shlibdeps -O "${programs[@]}" | sed -n 's/^shlibs:Depends=//p')

cat >"$stage/DEBIAN/control" <<CONTROL
Package: helvanta
Version: ${version}-${revision}
Architecture: ${arch}
Maintainer: Helvanta <helvanta@example.org>
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: adduser, libjs-dygraphs, libmosquitto1, libmicrohttpd12, ${depends}
Section: electronics
Priority: optional
Description: monitor and logger for the Siemens SPN1000 solar inverter
 Helvanta polls a Siemens SPN1000 grid-connected solar inverter over an RS-232
 line once a second, shows its 45 measurands in a desktop window and logs them
 into daily CSV files built from a template.
 .
 It also runs headless as the systemd service HelvantaService, as its own user
 helvanta; the unit is shipped but not enabled. helvanta-sim, an inverter
 simulator on a pseudo-terminal, lets it run without hardware.
CONTROL
(cd "$stage" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z | xargs -0 md5sum) \
  >"$stage/DEBIAN/md5sums"

mkdir -p "$out"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb"
echo "Built $deb"
lintian --fail-on error "$deb"
