#!/usr/bin/env python3
"""Local stand-in for the supplier's download server: serves the published pipe-length list at
/be/transvo/lgt.csv over plain HTTP on loopback.

    downloadserver.py --port 0 --port-file PORTFILE [--mode MODE | --file PATH] [--log LOGFILE]
                      [--cert-dir DIR]

--port 0 picks a free port; the port actually bound is written to PORTFILE (written aside and
renamed, so a reader never sees half a number). --file serves that file's bytes, read anew at
every request so a test can change the list between requests; a missing file answers 404.
--mode serves one of the built-in cases below. --log appends one line per request:
"<method> <path>\t<User-Agent>". Any other path answers 404. --cert-dir serves over TLS with the
test CA's loopback certificate in DIR (made there by testca.py when missing).
"""

import argparse
import http.server
import os
import socket
import ssl
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import testca  # noqa: E402

VERSION = "2026-11-30"
GOOD_ROWS = (
    "12345678,5",
    "12345679,6",
    "4000110,4.5",
    "50200150,5.000",
    "7654321,12.5",
    "ABC-110,0.75",
)


def _list(version_line, rows, last_line_end=True):
    text = "\r\n".join([version_line] + list(rows))
    return (text + ("\r\n" if last_line_end else "")).encode("ascii")


MODES = {
    # Well-formed lists, with and without a line end after the last row.
    "good": _list("# Versie --->" + VERSION, GOOD_ROWS),
    "good-no-final-crlf": _list("# Versie --->" + VERSION, GOOD_ROWS, last_line_end=False),
    "bad-version": _list("# Version -->" + VERSION, GOOD_ROWS),
    # A length written with a decimal comma: two commas on one line.
    "two-commas": _list("# Versie --->" + VERSION, GOOD_ROWS[:2] + ("4000110,4,5",) + GOOD_ROWS[3:]),
    "blank-line": _list("# Versie --->" + VERSION, GOOD_ROWS[:3] + ("",) + GOOD_ROWS[3:]),
    "version-only": _list("# Versie --->" + VERSION, ()),
    "empty": b"",
    # Tampered lists: each would make an order wrong if the table took it.
    "tiny-length": _list("# Versie --->" + VERSION, GOOD_ROWS[:3] + ("12345680,0.001",) + GOOD_ROWS[3:]),
    "long-length": _list("# Versie --->" + VERSION, GOOD_ROWS + ("12345680,250",)),
    "long-article": _list("# Versie --->" + VERSION, GOOD_ROWS + ("12345678901234,5",)),
    "too-many-rows": _list("# Versie --->" + VERSION, [f"{10000000 + i},6" for i in range(100001)]),
}
# Cases that are not a body: "404" answers Not Found, "drop" closes the connection without a
# reply, "truncated" promises more bytes than it sends and then closes, "stalls" sends the first
# 8 KB of a long list and then nothing more until the client gives up.
SPECIAL_MODES = ("404", "drop", "truncated", "stalls")
LIST_PATH = "/be/transvo/lgt.csv"


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "downloadserver"
    sys_version = ""

    def setup(self):
        super().setup()
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def _record(self):
        if not self.server.log_path:
            return
        with self.server.log_lock, open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write(f"{self.command} {self.path}\t{self.headers.get('User-Agent', '')}\n")

    def _send(self, status, body):
        self.send_response(status)
        self.send_header("Content-Type", "text/csv" if status == 200 else "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)
        self.close_connection = True

    def _drop(self):
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def _body(self):
        """The list to serve, or None for 404."""
        if self.server.file_path:
            try:
                with open(self.server.file_path, "rb") as served:
                    return served.read()
            except OSError:
                return None
        return MODES.get(self.server.mode)

    def do_GET(self):
        self._record()
        if self.path != LIST_PATH or self.server.mode == "404":
            self._send(404, b"<html><body><h1>404 Not Found</h1></body></html>\r\n")
            return
        if self.server.mode == "drop":
            self._drop()
            return
        if self.server.mode == "truncated":
            body = MODES["good"]
            self.send_response(200)
            self.send_header("Content-Type", "text/csv")
            self.send_header("Content-Length", str(len(body) + 100))
            self.end_headers()
            self.wfile.write(body)
            self.wfile.flush()
            self._drop()
            return
        if self.server.mode == "stalls":
            body = MODES["too-many-rows"]
            self.send_response(200)
            self.send_header("Content-Type", "text/csv")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[:8192])
            self.wfile.flush()
            # Waits for the client to close; whatever it sends ends the wait.
            self.connection.recv(1)
            self.close_connection = True
            return
        body = self._body()
        if body is None:
            self._send(404, b"<html><body><h1>404 Not Found</h1></body></html>\r\n")
            return
        self._send(200, body)

    do_HEAD = do_GET


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def write_port_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii") as out:
        out.write(f"{port}\n")
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description="Local pipe-length download server")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--port-file")
    parser.add_argument("--mode", default="good", choices=sorted(list(MODES) + list(SPECIAL_MODES)))
    parser.add_argument("--file", help="serve this file, read at every request")
    parser.add_argument("--log", help="append one line per request to this file")
    parser.add_argument("--cert-dir", help="serve over TLS with the test certificate in this folder")
    args = parser.parse_args()

    server = Server(("127.0.0.1", args.port), Handler)
    if args.cert_dir:
        testca.ensure(args.cert_dir)
        tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls.load_cert_chain(os.path.join(args.cert_dir, "server.pem"), os.path.join(args.cert_dir, "server.key"))
        server.socket = tls.wrap_socket(server.socket, server_side=True)
    server.mode = args.mode
    server.file_path = args.file
    server.log_path = args.log
    server.log_lock = threading.Lock()
    port = server.server_address[1]
    if args.port_file:
        write_port_file(args.port_file, port)
    print(port, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
