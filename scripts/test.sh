#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The test command: installs what is missing, configures, builds with warnings
# as errors and runs the tests through ctest.
#   scripts/test.sh              normal build in build/, the benchmarks too
#                                (so they always compile); every test
#   scripts/test.sh --sanitize   ASan+UBSan build in build-sanitize/; the
#                                tests labelled core and gui
# Every test carries exactly one ctest label (tests/CMakeLists.txt):
#   core  GoogleTest tests of the tests_<folder> binaries: start no program
#   gui   offscreen Qt tests of the tests_<folder>_qt binaries: start no
#         program
#   e2e   tests that start flowdesk-unit, flowdesk-cli or flowdesk (the
#         *EndToEndTest.cpp files) and the script tests of tests/*/extra.cmake;
#         they run at the line's real pace, which a sanitized build upsets
# One label alone: ctest --test-dir build -L core
set -euo pipefail
cd "$(dirname "$0")/.."
"$(pwd)/scripts/install-deps.sh" --test

builddir=build
extra=()
labels=()
if [ "${1:-}" = "--sanitize" ]; then
  builddir=build-sanitize
  extra+=(-DFLOWDESK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # Qt keeps a few process-lifetime allocations that LeakSanitizer reports.
  export LSAN_OPTIONS=suppressions=$(pwd)/scripts/lsan.supp
  labels+=(-L 'core|gui')
else
  extra+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLOWDESK_BENCH=ON)
fi
jobs=$(nproc)
cmake -S . -B "$builddir" -G Ninja -DFLOWDESK_WERROR=ON -DBUILD_TESTING=ON "${extra[@]}"
cmake --build "$builddir" -j "$jobs"
ctest --test-dir "$builddir" --output-on-failure -j "$jobs" --timeout 600 "${labels[@]}"
