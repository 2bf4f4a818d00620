#!/usr/bin/env bash
# Builds every fuzz target with clang and runs each for a set time.
#   fuzz/run.sh [BUILD_FOLDER] [SECONDS_PER_TARGET]
# New inputs go to BUILD_FOLDER/corpus/<target>; the seed corpus in fuzz/corpus/<target> (and
# for the page parsers the saved pages in tests/fixtures/net) is only read. A crash, a failed check, a leak, a time-out or running out of memory fails the
# run and leaves the input in BUILD_FOLDER/findings/, ready to become a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKINORA_FUZZ=ON -DKINORA_BUILD_TESTS=OFF -DKINORA_WERROR=ON
fi
cmake --build "$build" --target fuzzers -j "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
mkdir -p "$build/findings"
status=0
for seeds in fuzz/corpus/*/; do
  target=$(basename "$seeds")
  work="$build/corpus/$target"
  mkdir -p "$work"
  dict=()
  [ -f "fuzz/dict/$target.dict" ] && dict=(-dict="fuzz/dict/$target.dict")
  # The page parsers also start from the saved pages of the tests.
  extra=()
  case $target in fuzz_film_page | fuzz_result_list) extra=(tests/fixtures/net) ;; esac
  echo "== $target: ${seconds} s"
  if ! "$build/fuzz/$target" "$work" "$seeds" "${extra[@]}" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=12000 \
      -artifact_prefix="$build/findings/$target-" -print_final_stats=1 \
      >"$build/$target.log" 2>&1; then
    tail -n 60 "$build/$target.log"
    echo "== $target FAILED; input saved in $build/findings/" >&2
    status=1
  else
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units)' "$build/$target.log" || true
  fi
done
exit $status
