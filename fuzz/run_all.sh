#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target for a number of inputs, one after the other, and
# prints the time and the result of each.
#
#   fuzz/run_all.sh [-n RUNS] [-b BUILD_DIR] [TARGET ...]
#
# RUNS defaults to 1000000, BUILD_DIR to build-fuzz beside this folder;
# without TARGET names every fuzz_* program of BUILD_DIR/fuzz runs. Corpora
# grow in BUILD_DIR/fuzz-corpus/<target> (seeded by flowdesk-fuzz-seeds),
# inputs that fail land in BUILD_DIR/fuzz-artifacts/<target>/, and each run's
# output in BUILD_DIR/fuzz-logs/<target>.log. Exit status 1 when a target
# failed.
set -eu

runs=1000000
build="$(cd "$(dirname "$0")/.." && pwd)/build-fuzz"
while getopts n:b: opt; do
  case $opt in
    n) runs=$OPTARG ;;
    b) build=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] [-b BUILD_DIR] [TARGET ...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

bin="$build/fuzz"
if [ ! -x "$bin/flowdesk-fuzz-seeds" ]; then
  echo "no fuzz build in $build: configure with -DFLOWDESK_FUZZ=ON and build fuzz_all" >&2
  exit 2
fi

if [ $# -eq 0 ]; then
  set --
  for program in "$bin"/fuzz_*; do
    [ -x "$program" ] && set -- "$@" "$(basename "$program" | sed 's/^fuzz_//')"
  done
fi

# Seeds of our own, so that two runs on different targets can share a build.
seeds=$(mktemp -d "${TMPDIR:-/tmp}/flowdesk-fuzz-seeds.XXXXXX")
trap 'rm -rf "$seeds"' EXIT
"$bin/flowdesk-fuzz-seeds" "$seeds"
mkdir -p "$build/fuzz-logs"

failed=0
printf '%-20s %10s %8s %10s  %s\n' target inputs seconds inputs/s result
for target in "$@"; do
  program="$bin/fuzz_$target"
  if [ ! -x "$program" ]; then
    echo "no target $target" >&2
    failed=1
    continue
  fi
  corpus="$build/fuzz-corpus/$target"
  artifacts="$build/fuzz-artifacts/$target/"
  log="$build/fuzz-logs/$target.log"
  mkdir -p "$corpus" "$artifacts"
  [ -d "$seeds/$target" ] && cp -n "$seeds/$target"/* "$corpus"/ 2>/dev/null || true
  start=$(date +%s)
  # -timeout: an input that takes 10 s is a hang; libFuzzer stops there.
  if "$program" -runs="$runs" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    failed=1
  fi
  seconds=$(( $(date +%s) - start ))
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  # A run stopped by a fault prints no statistics: its last progress line.
  [ -n "$done_runs" ] || done_runs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
  [ -n "$done_runs" ] || done_runs=0
  rate=$(( done_runs / (seconds > 0 ? seconds : 1) ))
  printf '%-20s %10s %8s %10s  %s\n' "$target" "$done_runs" "$seconds" "$rate" "$result"
done
exit $failed
