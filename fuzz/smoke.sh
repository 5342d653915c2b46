#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The fuzz smoke of CI: configures a fuzz build, builds every target and runs
# each for a few inputs, two at a time, so that a target that no longer
# builds, or a fault that shows within the first inputs, fails the run. The
# million-input runs stay with fuzz/run_all.sh.
#
#   fuzz/smoke.sh [-n RUNS] [-b BUILD_DIR]
#
# RUNS defaults to 10000, BUILD_DIR to build-fuzz beside this folder. Exit
# status 1 when a target failed, 2 when the build did.
set -eu

runs=10000
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
while getopts n:b: opt; do
  case $opt in
    n) runs=$OPTARG ;;
    b) build=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] [-b BUILD_DIR]" >&2; exit 2 ;;
  esac
done

start=$(date +%s)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
      -DFLOWDESK_FUZZ=ON -DFLOWDESK_GUI=OFF -DBUILD_TESTING=OFF -DFLOWDESK_WERROR=ON \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
cmake --build "$build" --target fuzz_all -j "$(nproc)" || exit 2
built=$(date +%s)

# The targets dealt out in turn to two runners, each with its own table.
first=""
second=""
n=0
for program in "$build"/fuzz/fuzz_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program" | sed 's/^fuzz_//')
  if [ $((n % 2)) -eq 0 ]; then first="$first $name"; else second="$second $name"; fi
  n=$((n + 1))
done
tables=$(mktemp -d "${TMPDIR:-/tmp}/flowdesk-fuzz-smoke.XXXXXX")
trap 'rm -rf "$tables"' EXIT
# shellcheck disable=SC2086 # the lists are names without blanks
"$root/fuzz/run_all.sh" -n "$runs" -b "$build" $first >"$tables/1" 2>&1 &
one=$!
# shellcheck disable=SC2086
"$root/fuzz/run_all.sh" -n "$runs" -b "$build" $second >"$tables/2" 2>&1 &
two=$!
status=0
wait $one || status=1
wait $two || status=1
cat "$tables/1"
tail -n +2 "$tables/2"
end=$(date +%s)
echo "fuzz smoke: build $((built - start)) s, runs $((end - built)) s"
[ $status -eq 0 ] || echo "fuzz smoke: a target failed; its log is in $build/fuzz-logs/" >&2
exit $status
