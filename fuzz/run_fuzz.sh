#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz and runs each one for the
# given number of seconds on a copy of its seed corpus (fuzz/corpus/<target>)
# and of its saved regression inputs (tests/robustness/regressions/<target>).
# Prints one summary line per target; exits 1 when any target found a crash,
# a leak, a sanitizer report or a failed check (inputs kept under
# build-fuzz/fuzz-runs/<target>/).
#
#   fuzz/run_fuzz.sh [seconds-per-target] [target...]
#
# Environment: TAVRIN_FUZZ_BUILD (build folder), TAVRIN_FUZZ_JOBS (build jobs,
# default 2), TAVRIN_FUZZ_KEEP_CORPUS=1 (keep the grown corpus between runs,
# for long campaigns).
set -euo pipefail

seconds=${1:-60}
shift || true
case $seconds in
  ''|*[!0-9]*) echo "usage: $0 [seconds-per-target] [target...]"; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVRIN_FUZZ_BUILD:-$root/build-fuzz}
jobs=${TAVRIN_FUZZ_JOBS:-2}

for tool in clang++ cmake; do
  command -v $tool >/dev/null || { echo "fuzz: $tool is required"; exit 2; }
done

echo "== building fuzz targets in $build"
mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DTAVRIN_FUZZ=ON -DTAVRIN_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 2; }
cmake --build "$build" -j "$jobs" --target tavrin_fuzzers

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(grep -v '^$' "$build/fuzz/targets.txt")
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

failed=0
summary=()
for target in "${targets[@]}"; do
  binary=$build/fuzz/fuzz_$target
  if [ ! -x "$binary" ]; then
    summary+=("fuzz $target: not built")
    failed=1
    continue
  fi
  work=$build/fuzz-runs/$target
  corpus=$work/corpus
  if [ "${TAVRIN_FUZZ_KEEP_CORPUS:-0}" != 1 ]; then rm -rf "$work"; fi
  mkdir -p "$corpus" "$work/findings"
  for seeds in "$root/fuzz/corpus/$target" "$root/tests/robustness/regressions/$target"; do
    if [ -d "$seeds" ]; then cp -p "$seeds"/* "$corpus"/ 2>/dev/null || true; fi
  done
  dict=()
  if [ -f "$root/fuzz/dict/$target.dict" ]; then dict=(-dict="$root/fuzz/dict/$target.dict"); fi

  echo "== fuzzing $target for $seconds s"
  status=0
  timeout $((seconds + 300)) "$binary" "$corpus" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$work/findings/" \
    >"$work/log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  runs=${runs:-0}
  if [ $status -eq 0 ]; then
    summary+=("fuzz $target: $runs executions in $seconds s, no finding")
  else
    failed=1
    tail -n 60 "$work/log"
    finding=$(ls "$work/findings" 2>/dev/null | head -n 1)
    summary+=("fuzz $target: FINDING after $runs executions (exit $status) ${finding:+$work/findings/$finding}")
  fi
done

echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
exit $failed
