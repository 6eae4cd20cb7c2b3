# shellcheck shell=bash
# Sourced by the check scripts that make Debian 12 trees with debootstrap.
# Prints the first Debian mirror named for bookworm in this machine's apt sources,
# one-line or deb822; prints nothing when there is none.
host_mirror() {
  local files=() file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && files+=("$file")
  done
  [ ${#files[@]} -gt 0 ] || return 0
  awk '
    /^[[:space:]]*deb[[:space:]]/ {
      line = $0
      sub(/\[[^]]*\]/, "", line)
      split(line, field)
      if (field[3] == "bookworm") { print field[2]; exit }
    }
    /^[[:space:]]*$/ { uris = ""; suites = "" }
    /^URIs:/ { uris = $2 }
    /^Suites:/ { suites = $0 }
    uris != "" && suites ~ /[[:space:]]bookworm([[:space:]]|$)/ { print uris; exit }
  ' "${files[@]}" 2>/dev/null
}
