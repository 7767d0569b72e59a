#!/usr/bin/env python3
"""A wide-area link in front of a local server: a TCP proxy that delays every byte by half the round
trip in each direction, connection set-up included.

The client's connect() to the proxy succeeds at once, as loopback does; a real link would take one
round trip for it. So nothing the client sends arrives before one round trip after it connected,
plus half a round trip on the way: a TLS hello reaches the server 1.5 round trips after connect(),
as it would over the wide area. Replies take half a round trip back. Order is kept in each
direction, and a close (FIN) travels with the same delay, so a server closing an idle connection
is seen by the client half a round trip later, as on a real link.

The client's own kernel ACKs are local too, so the proxy also plays Nagle's algorithm for what the
client sends (unless --no-nagle): a socket without TCP_NODELAY, as Qt's HTTP sockets are, holds a
write smaller than a segment while earlier data is unacknowledged, and over the wide area that
acknowledgement is a round trip away. A request written in two pieces (headers, then the body)
then costs a round trip more, as it would on a real link.

    delay_proxy.py UPSTREAM_PORT --rtt-ms 80 [--port 0] [--chunks] [--no-nagle]

Prints the port it listens on as its first line. On stderr, one line when a connection opens and
one when it closes (bytes each way, and which side closed first); with --chunks also one line per
piece delivered: "connection N up|down BYTES at T". Times are CLOCK_MONOTONIC seconds, the clock
a benchmark driving the client reads too.
"""

import argparse
import asyncio
import socket
import sys
import time


# A full segment on the wide area (Ethernet MTU): Nagle's algorithm never holds one.
SEGMENT_BYTES = 1448


async def pipe(reader, writer, delay, not_before, loop, delivered, ended, nagle_rtt=0.0):
    """Copies reader to writer, each chunk `delay` seconds after it was read (but not before
    not_before), in order; the end of the stream travels the same way. With nagle_rtt, a chunk
    smaller than a segment read while an earlier one is unacknowledged (sent less than nagle_rtt
    ago) leaves only when that acknowledgement comes. delivered(nbytes) is called as each chunk is
    handed on, ended() when the end of the stream is."""
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if data is None:
                ended()
                try:
                    if writer.can_write_eof():
                        writer.write_eof()
                    else:
                        writer.close()
                except OSError:
                    pass
                return
            try:
                writer.write(data)
                delivered(len(data))
                await writer.drain()
            except OSError:
                return

    sender = asyncio.ensure_future(deliver())
    last = 0.0
    acknowledged_at = 0.0
    try:
        while True:
            try:
                data = await reader.read(65536)
            except OSError:
                data = b""
            sent = max(loop.time(), not_before)
            if nagle_rtt and data:
                if len(data) < SEGMENT_BYTES and sent < acknowledged_at:
                    sent = acknowledged_at
                acknowledged_at = sent + nagle_rtt
            due = sent + delay
            last = max(last, due)
            queue.put_nowait((last, data or None))
            if not data:
                break
    finally:
        await sender


async def serve(upstream_port, rtt, port, chunks, nagle):
    loop = asyncio.get_running_loop()
    half = rtt / 2
    counter = 0

    def log(line):
        print(line, file=sys.stderr, flush=True)

    async def handle(client_reader, client_writer):
        nonlocal counter
        counter += 1
        number = counter
        accepted = loop.time()
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", upstream_port)
        except OSError as error:
            print("connection %d: upstream refused: %s" % (number, error), file=sys.stderr, flush=True)
            client_writer.close()
            return
        for writer in (client_writer, server_writer):
            sock = writer.get_extra_info("socket")
            if sock is not None:
                sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        log("connection %d opened at %.6f" % (number, time.monotonic()))
        totals = {"up": 0, "down": 0}
        ends = []

        def delivered(direction):
            def count(nbytes):
                totals[direction] += nbytes
                if chunks:
                    log("connection %d %s %d at %.6f" % (number, direction, nbytes, time.monotonic()))
            return count

        def ended(side):
            def note():
                ends.append((side, loop.time() - accepted))
            return note

        await asyncio.gather(
            pipe(client_reader, server_writer, half, accepted + rtt, loop, delivered("up"), ended("client"),
                 rtt if nagle else 0.0),
            pipe(server_reader, client_writer, half, 0.0, loop, delivered("down"), ended("gateway")))
        for writer in (client_writer, server_writer):
            writer.close()
        first = ("; %s closed first, at %.1f s" % ends[0]) if ends else ""
        log("connection %d closed after %.1f s: %d bytes up, %d down%s" % (
            number, loop.time() - accepted, totals["up"], totals["down"], first))

    server = await asyncio.start_server(handle, "127.0.0.1", port)
    print(server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("upstream_port", type=int)
    parser.add_argument("--rtt-ms", type=float, default=80.0)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--chunks", action="store_true", help="log every piece delivered")
    parser.add_argument("--no-nagle", action="store_true", help="do not play the client's Nagle algorithm")
    options = parser.parse_args()
    try:
        asyncio.run(serve(options.upstream_port, options.rtt_ms / 1000.0, options.port, options.chunks,
                          not options.no_nagle))
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
