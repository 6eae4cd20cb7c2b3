#!/usr/bin/env bash
# Fails when a C++ file in the repository is not as clang-format (with .clang-format) writes it.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is missing; scripts/install-deps.sh installs it" >&2
  exit 1
fi
unformatted=()
while IFS= read -r file; do
  clang-format --style=file --dry-run -Werror "$file" 2>/dev/null || unformatted+=("$file")
done < <(git ls-files '*.cpp' '*.hpp' '*.h')
if [ ${#unformatted[@]} -gt 0 ]; then
  printf 'check-format: not formatted: %s\n' "${unformatted[@]}" >&2
  echo "check-format: run clang-format -i on them" >&2
  exit 1
fi
echo "check-format: every C++ file is formatted"
