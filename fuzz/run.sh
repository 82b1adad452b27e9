#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer) in build-fuzz/ and runs each, one after the other, for SECONDS on its seed
# corpus in fuzz/corpus/TARGET/. New inputs go to build-fuzz/corpus/TARGET/, findings
# to build-fuzz/findings/. Any finding fails the script.
#
#   fuzz/run.sh TARGET... SECONDS      e.g. fuzz/run.sh fuzz_expr 600
#   fuzz/run.sh all SECONDS            every target
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

if [ $# -lt 2 ]; then
  echo "usage: fuzz/run.sh TARGET... SECONDS (TARGET: all, or one of fuzz/fuzz_*.cpp)" >&2
  exit 2
fi
seconds=${*: -1}
targets=("${@:1:$#-1}")
case $seconds in ''|*[!0-9]*) echo "SECONDS must be a whole number: $seconds" >&2; exit 2;; esac
if [ "${targets[*]}" = all ]; then
  targets=()
  for source in "$QUORIX_ROOT"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

ensure_packages "${QUORIX_PACKAGES[@]}" "${QUORIX_FUZZ_PACKAGES[@]}"
dir="$QUORIX_ROOT/build-fuzz"
CXX=clang++ configure_tree "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORIX_SANITIZE=ON -DQUORIX_FUZZ=ON -DQUORIX_BUILD_TESTS=OFF -DQUORIX_BUILD_APPS=OFF
cmake --build "$dir" --target "${targets[@]}" -- -j"$(nproc)" >&2

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for target in "${targets[@]}"; do
  seeds="$QUORIX_ROOT/fuzz/corpus/$target"
  work="$dir/corpus/$target"
  mkdir -p "$work" "$dir/findings" "$seeds"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=8192
           -print_final_stats=1 -artifact_prefix="$dir/findings/$target-")
  [ -f "$QUORIX_ROOT/fuzz/$target.dict" ] && options+=(-dict="$QUORIX_ROOT/fuzz/$target.dict")
  echo "== $target: $seconds s" >&2
  if ! "$dir/fuzz/$target" "${options[@]}" "$work" "$seeds" >"$dir/$target.log" 2>&1; then
    tail -n 60 "$dir/$target.log" >&2
    failed+=("$target")
  else
    grep -E '^(stat::number_of_executed_units|Done)' "$dir/$target.log" >&2 || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (inputs in $dir/findings/)" >&2
  exit 1
fi
echo "fuzzing: ${#targets[@]} targets, no finding"
