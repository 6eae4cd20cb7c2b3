#!/usr/bin/env bash
# Installs what is missing, builds Helvanta and runs it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
echo "Helvanta is built in build/default. The program itself is not there yet."
