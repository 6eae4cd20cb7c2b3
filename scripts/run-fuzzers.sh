#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer harness for the given number of
# seconds (default 30), starting from its seed corpus in fuzz/corpus/<name>/.
# Fails when any harness finds a crash, a hang or a violated property; the input that
# did it is kept in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"

cmake --preset fuzz
cmake --build --preset fuzz

artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
# Inputs found on the way go to a scratch folder, so the committed seeds stay as they are.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export UBSAN_OPTIONS=print_stacktrace=1

failed=()
for source in fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  name=${target%_fuzz}
  mkdir -p "$scratch/$name"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  echo "== $target: ${seconds} s"
  if "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$target-" "$scratch/$name" "${seeds[@]}" >"$scratch/$target.log" 2>&1; then
    grep -E '^Done|^stat::number_of_executed_units|^stat::average_exec_per_sec' "$scratch/$target.log" || true
  else
    tail -n 60 "$scratch/$target.log"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzers that found a fault: ${failed[*]}" >&2
  exit 1
fi
echo "Every fuzzer ran clean."
