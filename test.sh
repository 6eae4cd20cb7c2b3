#!/usr/bin/env bash
# Installs what is missing, builds Helvanta and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
# The compiler cache serves every checkout of the tree, wherever it lies.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
