#!/usr/bin/env bash
# Runs the Windows build's tests (cmake --preset windows, then a build) under wine, in a
# 64-bit prefix of its own that is removed afterwards. Arguments go to ctest.
#   scripts/windows-test.sh [ctest options...]
set -euo pipefail
cd "$(dirname "$0")/.."

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
if [ ! -x "$wine" ]; then
  echo "windows-test: $wine is missing; scripts/install-windows-deps.sh installs wine64" >&2
  exit 1
fi

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/helvanta-wine.XXXXXX")
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs .NET or a browser engine, and they would be fetched.
export WINEDLLOVERRIDES="mscoree,mshtml="
finish() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap finish EXIT

# One server for the whole run, so that each test program starts quickly.
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1
status=0
ctest --preset windows "$@" || status=$?
"$wineserver" -k
"$wineserver" -w
exit "$status"
