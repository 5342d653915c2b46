#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Interoperability of the Jbus master with an independent Modbus RTU slave:
# socat joins two ptys, pymodbus serves holding registers on one end and the
# test program talks to it through the other. Both helpers are stopped by
# their process ids on every exit path. Missing tools fail the test loudly.
set -euo pipefail

test_program=${1:?usage: run_pymodbus_interop.sh TEST_PROGRAM}
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

fail() { echo "pymodbus interop: $*" >&2; exit 1; }
command -v socat >/dev/null || fail "socat is not installed (apt-get install socat)"
[ -x "$python" ] || fail "$python is missing"
"$python" -c "import pymodbus.server, serial_asyncio" 2>/dev/null ||
  fail "pymodbus 3 is not importable by $python (apt-get install python3-pymodbus python3-serial-asyncio)"

work=$(mktemp -d)
socat_pid=""
server_pid=""
cleanup() {
  set +e
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; fi
  if [ -n "$socat_pid" ]; then kill "$socat_pid" 2>/dev/null; wait "$socat_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The helpers' output goes to files: holding the caller's pipe open would
# keep whoever reads it waiting.
socat pty,raw,echo=0,link="$work/slave-end" pty,raw,echo=0,link="$work/master-end" \
  </dev/null >"$work/socat.log" 2>&1 &
socat_pid=$!
for _ in $(seq 100); do
  [ -e "$work/slave-end" ] && [ -e "$work/master-end" ] && break
  kill -0 "$socat_pid" 2>/dev/null || fail "socat ended: $(cat "$work/socat.log")"
  sleep 0.05
done
[ -e "$work/master-end" ] || fail "socat made no pty pair"

"$python" "$here/pymodbus_server.py" "$work/slave-end" "$work/ready" \
  </dev/null >"$work/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 200); do
  [ -e "$work/ready" ] && break
  kill -0 "$server_pid" 2>/dev/null || fail "pymodbus server ended: $(cat "$work/server.log")"
  sleep 0.05
done
[ -e "$work/ready" ] || fail "pymodbus server not ready after 10 s: $(cat "$work/server.log")"

FLOWDESK_INTEROP_DEVICE="$work/master-end" "$test_program"
