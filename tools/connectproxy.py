#!/usr/bin/env python3
"""A minimal HTTP proxy for tests: tunnels CONNECT requests on loopback, refuses the rest.

    python3 tools/connectproxy.py --port 0 --port-file FILE

Each tunnel it opens is logged as "CONNECT host:port" on standard error, so a test can tell
that its request went through the proxy.
"""

import argparse
import os
import socket
import socketserver
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import testpeer  # noqa: E402

MAX_HEAD = 16 * 1024


def pipe(source, target):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            target.sendall(data)
    except OSError:
        pass
    finally:
        for sock in (source, target):
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


class Tunnel(socketserver.BaseRequestHandler):
    def handle(self):
        client = self.request
        head = b""
        while b"\r\n\r\n" not in head:
            data = client.recv(4096)
            if not data or len(head) > MAX_HEAD:
                return
            head += data
        line = head.split(b"\r\n", 1)[0].decode("latin-1")
        method, _, rest = line.partition(" ")
        target = rest.split(" ", 1)[0]
        host, _, port = target.rpartition(":")
        if method != "CONNECT" or not port.isdigit():
            client.sendall(b"HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n")
            return
        try:
            upstream = socket.create_connection((host, int(port)), timeout=10)
        except OSError:
            client.sendall(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
            return
        upstream.settimeout(None)
        sys.stderr.write("CONNECT %s\n" % target)
        client.sendall(b"HTTP/1.1 200 Connection established\r\nProxy-Agent: transvo-test\r\n\r\n")
        forward = threading.Thread(target=pipe, args=(client, upstream), daemon=True)
        forward.start()
        pipe(upstream, client)
        forward.join()
        upstream.close()


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description="CONNECT proxy for tests")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    args = parser.parse_args()
    server = Server((args.host, args.port), Tunnel)
    if args.port_file:
        testpeer.report_port(args.port_file, server.server_address[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
