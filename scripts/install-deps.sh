#!/usr/bin/env bash
# Installs the Debian packages Helvanta builds and tests with, when any is missing.
set -euo pipefail
# shellcheck source=scripts/apt-install-missing.sh
. "$(dirname "$0")/apt-install-missing.sh"

packages=(cmake ninja-build g++ ccache pkg-config libgtest-dev libgmock-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev xvfb xauth locales clang clang-format libclang-rt-14-dev systemd libsqlite3-dev
          libmosquitto-dev mosquitto mosquitto-clients openssl libcurl4-openssl-dev python3
          libmicrohttpd-dev libjs-dygraphs chromium faketime tzdata g++-mingw-w64-x86-64-posix prometheus)
install_missing "${packages[@]}"
