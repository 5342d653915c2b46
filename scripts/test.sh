#!/usr/bin/env bash
# The test command: installs what is missing, configures, builds with warnings
# as errors and runs every test through ctest.
#   scripts/test.sh              normal build in build/, the benchmarks too
#                                (so they always compile)
#   scripts/test.sh --sanitize   ASan+UBSan build in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."
"$(pwd)/scripts/install-deps.sh"

builddir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  builddir=build-sanitize
  extra+=(-DFLOWDESK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # Qt keeps a few process-lifetime allocations that LeakSanitizer reports.
  export LSAN_OPTIONS=suppressions=$(pwd)/scripts/lsan.supp
else
  extra+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLOWDESK_BENCH=ON)
fi
jobs=$(nproc)
cmake -S . -B "$builddir" -G Ninja -DFLOWDESK_WERROR=ON "${extra[@]}"
cmake --build "$builddir" -j "$jobs"
ctest --test-dir "$builddir" --output-on-failure -j "$jobs" --timeout 600
