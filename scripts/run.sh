#!/usr/bin/env bash
# The run command: installs what is missing, builds, and starts flowdesk with
# its built-in virtual unit on Com1.
set -euo pipefail
cd "$(dirname "$0")/.."
"$(pwd)/scripts/install-deps.sh"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
exec ./build/src/flowdesk --virtual-unit "$@"
