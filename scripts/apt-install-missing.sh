# shellcheck shell=bash
# Sourced by the install scripts: install_missing PACKAGE... installs, without the
# recommended extras, those of the Debian packages that are not installed yet.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  local sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  # Other builds on the machine may be installing too: wait for them.
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y \
    --no-install-recommends "${missing[@]}"
}
