#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An independent Modbus master (mbpoll) reads holding registers from the
# virtual unit (function 3) and writes them (function 16).
#   mbpoll_test.sh FLOWDESK_UNIT [MBPOLL]
set -u
unit_bin=$1
mbpoll=${2:-$(command -v mbpoll || true)}
if [ -z "$mbpoll" ] || [ ! -x "$mbpoll" ]; then
  echo "SKIP: mbpoll is not installed"
  exit 77
fi

work=$(mktemp -d)
unit_pid=
cleanup() {
  if [ -n "$unit_pid" ]; then kill "$unit_pid" 2>/dev/null; wait "$unit_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

"$unit_bin" --address 7 --configs 18 >"$work/out" 2>"$work/err" &
unit_pid=$!
for _ in $(seq 50); do
  [ -s "$work/out" ] && break
  sleep 0.1
done
dev=$(head -n 1 "$work/out")
[ -c "$dev" ] || fail "the unit printed no terminal (got '$dev')"

# mbpoll -0: references are register addresses (PDU addressing), not 1-based.
# Options first, then the device, then the values to write (if any).
poll() { "$mbpoll" -m rtu -b 9600 -P none -s 2 -a 7 -0 -1 -o 2 "$@" "$dev"; }
write() {
  local ref=$1
  shift
  "$mbpoll" -m rtu -b 9600 -P none -s 2 -a 7 -0 -1 -o 2 -r "$ref" -t 4 "$dev" "$@"
}
values() { sed -n 's/^\[\([0-9]*\)\]:[[:space:]]*\(-\{0,1\}[0-9]*\).*/\1=\2/p'; }

# Maker block defaults: serial 01 94 00001, points 11000 and 55000, variant VOV.
got=$(poll -r 0x3300 -c 6 -t 4 | values | tr '\n' ' ')
want="13056=350 13057=1 13058=0 13059=11000 13060=55000 13061=256 "
[ "$got" = "$want" ] || fail "maker block: got '$got', want '$want'"

# The unit's own address is the low byte of 0x2202.
got=$(poll -r 0x2202 -c 1 -t 4 | values)
[ "$got" = "8706=7" ] || fail "address register: got '$got'"

# Function 16: write three registers of configuration 5, then read them back.
write 0x1500 1234 2 3 >/dev/null || fail "write of configuration 5 refused"
got=$(poll -r 0x1500 -c 3 -t 4 | values | tr '\n' ' ')
[ "$got" = "5376=1234 5377=2 5378=3 " ] || fail "configuration 5: got '$got'"

# A register the unit does not serve is refused with an exception.
poll -r 0x0400 -c 1 -t 4 >"$work/bad" 2>&1
grep -qi "illegal data address" "$work/bad" || fail "no exception for 0x0400: $(cat "$work/bad")"

kill -TERM "$unit_pid"
wait "$unit_pid"
status=$?
unit_pid=
[ "$status" = 0 ] || fail "the unit ended with status $status on SIGTERM"
echo "PASS"
