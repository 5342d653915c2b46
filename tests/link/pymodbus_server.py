#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Independent Modbus RTU slave for the link's interoperability test.

Serves holding registers 0..127 (register n holds 0x1100 + n) as slave 1 on a
serial device at 9600 baud, 8N2, and creates READY_FILE once the device is
open. Registers beyond 127 do not exist, so reading them gives an exception.
"""
import asyncio
import pathlib
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartAsyncSerialServer
from pymodbus.transaction import ModbusRtuFramer


async def main(device, ready_file):
    registers = ModbusSequentialDataBlock(0, [0x1100 + n for n in range(128)])
    slave = ModbusSlaveContext(hr=registers, zero_mode=True)
    context = ModbusServerContext(slaves={1: slave}, single=False)
    server = await StartAsyncSerialServer(
        context=context,
        framer=ModbusRtuFramer,
        port=device,
        baudrate=9600,
        bytesize=8,
        parity="N",
        stopbits=2,
        timeout=0.05,
        defer_start=True,
    )
    await server.start()
    if server.transport is None:
        print(f"pymodbus server: cannot open {device}", file=sys.stderr)
        sys.exit(1)
    pathlib.Path(ready_file).write_text("ready\n")
    await server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print("usage: pymodbus_server.py DEVICE READY_FILE", file=sys.stderr)
        sys.exit(2)
    asyncio.run(main(sys.argv[1], sys.argv[2]))
