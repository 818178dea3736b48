#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time from its seed corpus.
# Fails on any finding. Usage: fuzz.sh [seconds per target]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAMBREL_FUZZ=ON -DTAMBREL_TESTS=OFF -DTAMBREL_BENCH=OFF
cmake --build "$build" -j"$(nproc)" --target fuzz_targets

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in $(cat "$build/fuzz/targets.txt"); do
  # The seed corpus stays as committed; new inputs go to a scratch copy.
  mkdir -p "$work/$target"
  cp -r "$root/fuzz/corpus/$target/." "$work/$target/"
  echo "--- $target"
  if ! (cd "$work" && "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/$target-" "$work/$target" >"$work/$target.log" 2>&1); then
    status=1
    tail -n 60 "$work/$target.log"
    mkdir -p "$root/build-fuzz/findings"
    cp "$work/$target"-* "$root/build-fuzz/findings/" 2>/dev/null || true
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec' "$work/$target.log" || true
done
exit $status
