#!/usr/bin/env bash
# Installs the Debian packages Helvanta builds and tests with, when any is missing.
set -euo pipefail

packages=(cmake ninja-build g++ ccache pkg-config libgtest-dev libgmock-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev xvfb xauth locales clang clang-format libclang-rt-14-dev systemd libsqlite3-dev
          libmosquitto-dev mosquitto mosquitto-clients openssl libcurl4-openssl-dev python3
          libmicrohttpd-dev libjs-dygraphs chromium faketime tzdata g++-mingw-w64-x86-64-posix prometheus)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
