"""A Modbus field unit for the ModbusCard tests, served by pymodbus on 127.0.0.1 (TCP) or on a
serial device (RTU). Units 1 and 2 each hold 100 coils, discrete inputs, holding and input
registers at addresses 0-99; any other address is refused with an exception.

Driven line by line on standard input, one answer line on standard output for each command:

  set UNIT TABLE ADDRESS VALUE...   TABLE: hr, ir, co or di; 16-bit values  -> ok
  get UNIT TABLE ADDRESS COUNT                                              -> values V...
  requests    the reads served since the last "requests", as fx:unit:address:count -> requests ...
  stop        no listener, every connection closed (TCP)                    -> ok
  start       serve again on the same port (TCP)                            -> ok
  mute        accept connections, read requests, never answer (TCP)         -> ok
  drop        accept connections and close them at once (TCP)               -> ok
  heard       requests a muted listener has received                        -> heard N
  quit

The first line says "port N" (TCP) or "ready" (RTU). End of input ends the server.
"""

import argparse
import asyncio
import logging
import sys

from pymodbus.datastore import (
    ModbusSequentialDataBlock,
    ModbusServerContext,
    ModbusSlaveContext,
)
from pymodbus.framer.rtu_framer import ModbusRtuFramer
from pymodbus.framer.socket_framer import ModbusSocketFramer
from pymodbus.server.async_io import ModbusSerialServer, ModbusTcpServer

SIZE = 100
TABLES = {"co": 1, "di": 2, "hr": 3, "ir": 4}

served = []  # (fx, unit, address, count) of every read answered


class RecordingSlave(ModbusSlaveContext):
    def __init__(self, unit):
        super().__init__(
            di=ModbusSequentialDataBlock(0, [0] * SIZE),
            co=ModbusSequentialDataBlock(0, [0] * SIZE),
            hr=ModbusSequentialDataBlock(0, [0] * SIZE),
            ir=ModbusSequentialDataBlock(0, [0] * SIZE),
            zero_mode=True,
        )
        self.unit = unit

    def getValues(self, fc_as_hex, address, count=1):  # noqa: N802 (pymodbus' name)
        if fc_as_hex in (1, 2, 3, 4):
            served.append((fc_as_hex, self.unit, address, count))
        return super().getValues(fc_as_hex, address, count)


class Mute(asyncio.Protocol):
    """Takes a connection and its requests and never answers."""

    heard = 0

    def connection_made(self, transport):
        self.transport = transport

    def data_received(self, data):
        Mute.heard += 1


class Drop(asyncio.Protocol):
    def connection_made(self, transport):
        transport.close()


class Unit:
    def __init__(self, args):
        self.args = args
        self.slaves = {1: RecordingSlave(1), 2: RecordingSlave(2)}
        self.context = ModbusServerContext(slaves=self.slaves, single=False)
        self.port = args.port
        self.modbus = None
        self.task = None
        self.raw = None
        self.raw_connections = []

    async def start(self):
        await self.stop()
        if self.args.rtu:
            self.modbus = ModbusSerialServer(
                self.context, framer=ModbusRtuFramer, port=self.args.rtu,
                baudrate=self.args.baud, timeout=0.005)
            await self.modbus.start()
            return
        self.modbus = ModbusTcpServer(
            self.context, framer=ModbusSocketFramer, address=("127.0.0.1", self.port),
            allow_reuse_address=True)
        self.task = asyncio.create_task(self.modbus.serve_forever())
        await self.modbus.serving
        self.port = self.modbus.server.sockets[0].getsockname()[1]

    async def listen_raw(self, protocol):
        await self.stop()

        def make():
            p = protocol()
            self.raw_connections.append(p)
            return p

        self.raw = await asyncio.get_running_loop().create_server(
            make, "127.0.0.1", self.port, reuse_address=True)

    async def stop(self):
        if self.modbus is not None:
            if self.args.rtu:
                await self.modbus.shutdown()
            else:
                for handler in list(self.modbus.active_connections.values()):
                    handler.transport.close()
                await self.modbus.server_close()
                self.task.cancel()
            self.modbus = None
        if self.raw is not None:
            self.raw.close()
            for p in self.raw_connections:
                if getattr(p, "transport", None) is not None:
                    p.transport.close()
            self.raw_connections = []
            await self.raw.wait_closed()
            self.raw = None

    def command(self, words):
        name = words[0]
        if name == "set":
            unit, table, address = int(words[1]), TABLES[words[2]], int(words[3])
            self.slaves[unit].setValues(table, address, [int(v) for v in words[4:]])
            return "ok"
        if name == "get":
            unit, table, address, count = (int(words[1]), TABLES[words[2]], int(words[3]),
                                           int(words[4]))
            store = self.slaves[unit].store[self.slaves[unit].decode(table)]
            values = store.getValues(address, count)
            return "values " + " ".join(str(int(v)) for v in values)
        if name == "requests":
            text = " ".join("%d:%d:%d:%d" % r for r in served)
            served.clear()
            return ("requests " + text).rstrip()
        if name == "heard":
            return "heard %d" % Mute.heard
        raise ValueError(name)

    async def run(self):
        await self.start()
        print("ready" if self.args.rtu else "port %d" % self.port, flush=True)
        loop = asyncio.get_running_loop()
        reader = asyncio.StreamReader()
        await loop.connect_read_pipe(lambda: asyncio.StreamReaderProtocol(reader), sys.stdin)
        while True:
            line = await reader.readline()
            words = line.decode().split()
            if not words:
                if not line:
                    break
                continue
            try:
                if words[0] == "quit":
                    break
                if words[0] == "stop":
                    await self.stop()
                    answer = "ok"
                elif words[0] == "start":
                    await self.start()
                    answer = "ok"
                elif words[0] == "mute":
                    await self.listen_raw(Mute)
                    answer = "ok"
                elif words[0] == "drop":
                    await self.listen_raw(Drop)
                    answer = "ok"
                else:
                    answer = self.command(words)
            except Exception as error:  # an unknown command must not end the unit
                answer = "error %s" % error
            print(answer, flush=True)
        await self.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--rtu", help="serial device to serve RTU on")
    parser.add_argument("--baud", type=int, default=9600)
    args = parser.parse_args()
    logging.disable(logging.CRITICAL)  # its own complaints would only clutter the test output
    asyncio.run(Unit(args).run())


if __name__ == "__main__":
    main()
