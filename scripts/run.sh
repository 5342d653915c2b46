#!/usr/bin/env bash
# The run command: installs what building and running need (not the test
# tools: scripts/test.sh adds those), builds in build/ and starts flowdesk.
#   scripts/run.sh [ARG...]          with its built-in virtual unit on Com1
#   scripts/run.sh --real [ARG...]   without it: the serial ports of the
#                                    connection settings, for a real unit
# The other arguments go to flowdesk (-q, -kRwT, --unit-args "...").
# The first run on a fresh Debian 12 machine downloads about 90 MB of
# packages and builds for some minutes; later runs start at once.
set -euo pipefail
cd "$(dirname "$0")/.."
"$(pwd)/scripts/install-deps.sh"
# A build folder that scripts/test.sh configured keeps its tests; a new one
# builds the programs alone, without the test framework.
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
fi
cmake --build build -j "$(nproc)"
unit=(--virtual-unit)
if [ "${1:-}" = "--real" ]; then
  unit=()
  shift
fi
exec ./build/src/flowdesk "${unit[@]}" "$@"
