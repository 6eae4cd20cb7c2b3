#!/usr/bin/env bash
# Shows that the portable code builds for Windows too: every .cpp and .hpp under src/
# and tools/ that is not a platform file must include no POSIX header and must compile
# with MinGW-w64 (syntax only, a header through a one-line source that includes it).
#
# Left out, and why:
#   *_posix.*, *_win32.*    platform files; each builds on its own platform only.
#   src/ui, *_qt.*, and any file that includes a Qt header or one from src/ui
#                           Qt for Windows is not installed here.
# Nothing else is left out. The libraries both hosts use (SQLite, libmosquitto,
# libmicrohttpd, libcurl) ship the same portable headers on Windows, so the compiler sees
# the Debian copies of exactly sqlite3.h, mosquitto.h (with its mqtt_protocol.h),
# microhttpd.h and curl/ and none of the other system headers.
#
# MinGW-w64 supplies some POSIX headers of its own (unistd.h, sys/stat.h, pthread.h...),
# so those are refused by name before compiling.
set -euo pipefail
cd "$(dirname "$0")/.."

compiler=x86_64-w64-mingw32-g++-posix
if ! command -v "$compiler" >/dev/null; then
  echo "Installing: g++-mingw-w64-x86-64-posix"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends g++-mingw-w64-x86-64-posix
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/include"
for header in sqlite3.h mosquitto.h mqtt_protocol.h microhttpd.h; do
  if [ ! -f "/usr/include/$header" ]; then
    echo "check-portable: /usr/include/$header is missing; scripts/install-deps.sh installs it" >&2
    exit 1
  fi
  ln -s "/usr/include/$header" "$scratch/include/$header"
done
# libcurl's headers lie in the multiarch folder; they are the same on every platform.
curl_headers="/usr/include/$(gcc -print-multiarch)/curl"
if [ ! -f "$curl_headers/curl.h" ]; then
  echo "check-portable: $curl_headers/curl.h is missing; scripts/install-deps.sh installs it" >&2
  exit 1
fi
ln -s "$curl_headers" "$scratch/include/curl"

files=()
while IFS= read -r file; do
  case "$file" in
    *_posix.* | *_win32.* | *_qt.* | src/ui/*) continue ;;
  esac
  grep -qE '^#include (<Q|"ui/)' "$file" && continue
  files+=("$file")
done < <(find src tools -name '*.cpp' -o -name '*.hpp' | sort)

posix_headers='^#[[:space:]]*include[[:space:]]*<(unistd|fcntl|poll|termios|dlfcn|pthread|dirent|pwd|grp|syslog|spawn|netdb|sched|semaphore|strings|libgen|(sys|netinet|arpa|linux|systemd)/[^>]*)\.h>'
failed=0
if grep -nE "$posix_headers" "${files[@]}"; then
  echo "check-portable: the POSIX headers above belong in *_posix files" >&2
  failed=1
fi

# One compile per file, two at a time; a failure leaves its messages in the scratch folder.
export compiler scratch
check_one() {
  local file=$1 log
  log="$scratch/$(echo "$file" | tr / _).log"
  # The version and the install folders are the build's to give (mqtt_payloads.cpp and
  # file_locations.cpp require them).
  local flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -I src -I tools
               -isystem "$scratch/include" -DHELVANTA_VERSION='"portable-check"')
  local folder
  for folder in BINDIR LIBEXECDIR DATADIR SYSCONFDIR LOCALSTATEDIR; do
    flags+=("-DHELVANTA_INSTALL_$folder=\"/portable-check\"")
  done
  if [[ $file == *.hpp ]]; then
    local root=${file%%/*}
    echo "#include \"${file#"$root"/}\"" | "$compiler" "${flags[@]}" -x c++ - >"$log" 2>&1
  else
    "$compiler" "${flags[@]}" "$file" >"$log" 2>&1
  fi || { echo "FAILED $file"; cat "$log"; return 1; }
}
export -f check_one
printf '%s\n' "${files[@]}" | xargs -P 2 -I{} bash -c 'check_one "$1"' _ {} || failed=1

if [ "$failed" -ne 0 ]; then
  echo "check-portable: portable code does not build for Windows" >&2
  exit 1
fi
echo "check-portable: ${#files[@]} portable sources and headers build for Windows"
