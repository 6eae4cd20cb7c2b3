#!/usr/bin/env bash
# Installs what the Windows build, its tests and its package need, when any is missing:
# the mingw-w64 cross compiler, the tools that build the dependencies from Debian's
# source packages (scripts/build-mingw-deps.sh), 64-bit wine alone (wine64, with no
# 32-bit loader of a foreign architecture), nsis and zip, and the service check's
# sqlite3 and curl.
set -euo pipefail
# shellcheck source=scripts/apt-install-missing.sh
. "$(dirname "$0")/apt-install-missing.sh"
packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 tcl dpkg-dev cmake ninja-build make
          autoconf automake libtool libgtest-dev libgmock-dev libcurl4-openssl-dev wine64 nsis zip
          sqlite3 curl python3)
install_missing "${packages[@]}"
