#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The run command: installs what building and running need (not the test
# tools: scripts/test.sh adds those), builds in build/ and starts flowdesk.
#   scripts/run.sh [ARG...]          with its built-in virtual unit on Com1
#   scripts/run.sh --real [ARG...]   without it: the serial ports of the
#                                    connection settings, for a real unit
# The other arguments go to flowdesk (-q, -kRwT, --unit-args "...").
# The first run on a minimal Debian 12 machine installs 224 packages (182 MB
# to download, 5½ minutes) and builds for about ten minutes of processor
# time: some ten minutes in all on two cores. Later runs start at once.
# Without a display: apt-get install xvfb, then xvfb-run -a scripts/run.sh.
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
