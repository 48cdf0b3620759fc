#!/usr/bin/env python3
"""A local stand-in for the supplier's webshop: real HTTPS on loopback with its own test CA.

    python3 tools/webshop.py --port 8443 --cert-dir demo/certs

It makes (once) a CA and a certificate for localhost / 127.0.0.1 in the cert folder; clients
trust ca.pem from there. It answers the order post like the webshop: 200 with a small page when
the body is "bcdata=" followed by an XML order that parses and carries an Identity and at least
one ItemOut, 422 otherwise. The login pages show the last order received, so a person sees where
the order landed.

For tests:
  --port 0 --port-file FILE   choose a free port and write it into FILE; the server then also
                              ends when the process that started it has ended
  --plain                     plain HTTP instead of HTTPS
  --status "500 Internal Server Error"   answer every order post with this status
  --delay SECONDS             wait this long before answering an order post
  GET  /_last                 the last request (but these two) exactly as it came off the wire
  POST /_control              form fields status, version, delay, interim (1: send a
                              "100 Continue" block first), drop (1: close without answering),
                              cut (1: close after half a header block),
                              reset (1: back to the command-line behaviour, no last request)
"""

import argparse
import datetime
import html
import os
import socket
import ssl
import sys
import threading
import time
import urllib.parse
import xml.etree.ElementTree as ElementTree
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import testca  # noqa: E402
import testpeer  # noqa: E402

ORDER_PATH = "/barcodescanner/index/xml"
LOGIN_PAGES = {
    "/nl/klant/account/login/": "nl",
    "/fr/klant/account/login/": "fr",
    "/klant/account/login/": "nl",
}
# An order of tens of thousands of lines stays far below this; anything larger is refused unread.
MAX_BODY = 64 * 1024 * 1024

TEXTS = {
    "nl": {"title": "Inloggen", "intro": "Log in om uw winkelwagen te bekijken.", "none": "Nog geen order ontvangen.",
           "last": "Laatst ontvangen order", "received": "Ontvangen", "lines": "Orderregels",
           "line": "Regel", "article": "Artikel", "quantity": "Aantal", "date": "Leverdatum"},
    "fr": {"title": "Connexion", "intro": "Connectez-vous pour voir votre panier.",
           "none": "Aucune commande reçue.", "last": "Dernière commande reçue", "received": "Reçue",
           "lines": "Lignes de commande", "line": "Ligne", "article": "Article", "quantity": "Quantité",
           "date": "Date de livraison"},
}
HEADER_FIELDS = ("Contract_number", "Order_reference_number", "Additional_reference_1", "Additional_reference_2",
                 "Tel_number", "DeliverTo", "Street", "PostalCode", "City")


class Behaviour:
    """How order posts are answered; changed at run time through /_control."""

    def __init__(self, args):
        self.defaults = {"status": args.status, "version": "HTTP/1.1", "delay": args.delay,
                         "interim": False, "drop": False, "cut": False}
        self.lock = threading.Lock()
        self.values = dict(self.defaults)
        self.last_request = None
        self.last_order = None

    def update(self, fields):
        with self.lock:
            if fields.get("reset") == "1":
                self.values = dict(self.defaults)
                self.last_request = None
            if "status" in fields:
                self.values["status"] = fields["status"] or None
            if "version" in fields:
                self.values["version"] = fields["version"] or "HTTP/1.1"
            if "delay" in fields:
                self.values["delay"] = float(fields["delay"] or 0)
            for key in ("interim", "drop", "cut"):
                if key in fields:
                    self.values[key] = fields[key] == "1"

    def current(self):
        with self.lock:
            return dict(self.values)


class RecordingReader:
    """Wraps the connection's input so the request can be kept byte for byte."""

    def __init__(self, raw):
        self.raw = raw
        self.recorded = bytearray()

    def readline(self, limit=-1):
        data = self.raw.readline(limit)
        self.recorded += data
        return data

    def read(self, size=-1):
        data = self.raw.read(size)
        self.recorded += data
        return data

    def __getattr__(self, name):
        return getattr(self.raw, name)


def parse_order(body):
    """The order's fields when the body is an acceptable order, else (None, reason)."""
    if not body.startswith(b"bcdata="):
        return None, "body does not start with bcdata="
    try:
        root = ElementTree.fromstring(body[len(b"bcdata="):])
    except ElementTree.ParseError as error:
        return None, "XML does not parse: %s" % error
    identity = (root.findtext(".//Credential/Identity") or "").strip()
    if not identity:
        return None, "no credentials"
    items = root.findall(".//ItemOut")
    if not items:
        return None, "no ItemOut"
    header = root.find(".//OrderRequestHeader")
    request = root.find(".//Request")
    country = root.find(".//Country")
    order = {
        "Identity": identity,
        "DirectERP": request.get("DirectERP", "") if request is not None else "",
        "OrderDate": header.get("OrderDate", "") if header is not None else "",
        "Country": country.get("isoCountryCode", "") if country is not None else "",
        "lines": [],
        "received": datetime.datetime.now().strftime("%Y-%m-%d %H:%M:%S"),
    }
    for name in HEADER_FIELDS:
        order[name] = root.findtext(".//" + name) or ""
    for item in items:
        order["lines"].append((item.get("lineNumber", ""), item.findtext(".//SupplierPartID") or "",
                               item.get("quantity", ""), item.get("requestedDeliveryDate", "")))
    return order, ""


def login_page(language, order):
    text = TEXTS[language]
    esc = html.escape
    parts = ["<!DOCTYPE html>\n<html lang=\"%s\"><head><meta charset=\"utf-8\"><title>%s</title></head><body>"
             % (language, text["title"]),
             "<h1>%s</h1>\n<p>%s</p>\n" % (text["title"], text["intro"])]
    if order is None:
        parts.append("<p id=\"no-order\">%s</p>\n" % text["none"])
    else:
        parts.append("<h2>%s</h2>\n<table id=\"order-header\">\n" % text["last"])
        rows = [(text["received"], order["received"]), ("Identity", order["Identity"]),
                ("OrderDate", order["OrderDate"]), ("DirectERP", order["DirectERP"])]
        rows += [(name, order[name]) for name in HEADER_FIELDS] + [("Country", order["Country"])]
        for name, value in rows:
            parts.append("<tr><th>%s</th><td>%s</td></tr>\n" % (esc(name), esc(value)))
        parts.append("</table>\n<h2>%s</h2>\n<table id=\"order-lines\">\n<tr><th>%s</th><th>%s</th><th>%s</th>"
                     "<th>%s</th></tr>\n" % (text["lines"], text["line"], text["article"], text["quantity"],
                                             text["date"]))
        for line in order["lines"]:
            parts.append("<tr>%s</tr>\n" % "".join("<td>%s</td>" % esc(value) for value in line))
        parts.append("</table>\n")
    parts.append("</body></html>\n")
    return "".join(parts).encode("utf-8")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TransvoWebshop/1.0"

    def setup(self):
        super().setup()
        self.rfile = RecordingReader(self.rfile)

    def handle_one_request(self):
        self.rfile.recorded = bytearray()
        super().handle_one_request()

    @property
    def behaviour(self):
        return self.server.behaviour

    def reply(self, code, body, content_type="text/html; charset=utf-8", reason=None):
        self.send_response(code, reason)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def read_body(self):
        if "Transfer-Encoding" in self.headers:
            self.close_connection = True  # the unread body would be taken for the next request
            self.reply(411, b"Content-Length required\n", "text/plain")
            return None
        try:
            length = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            length = -1
        if length < 0 or length > MAX_BODY:
            self.close_connection = True
            self.reply(413, b"Body too large\n", "text/plain")
            return None
        return self.rfile.read(length)

    def record(self, path):
        if path not in ("/_last", "/_control"):
            self.behaviour.last_request = bytes(self.rfile.recorded)

    def do_GET(self):
        path = urllib.parse.urlsplit(self.path).path
        self.record(path)
        if path == "/_last":
            last = self.behaviour.last_request
            if last is None:
                self.reply(404, b"no order received yet\n", "text/plain")
            else:
                self.reply(200, last, "application/octet-stream")
        elif path in LOGIN_PAGES:
            self.reply(200, login_page(LOGIN_PAGES[path], self.behaviour.last_order))
        elif path == "/":
            links = "".join("<li><a href=\"%s\">%s</a></li>" % (page, page) for page in LOGIN_PAGES)
            self.reply(200, ("<!DOCTYPE html>\n<html><body><h1>Testwebshop</h1><ul>%s</ul></body></html>\n"
                             % links).encode())
        else:
            self.reply(404, b"<html><body>Pagina niet gevonden</body></html>\n")

    def do_POST(self):
        path = urllib.parse.urlsplit(self.path).path
        body = self.read_body()
        if body is None:
            return
        self.record(path)
        if path == "/_control":
            fields = dict(urllib.parse.parse_qsl(body.decode("utf-8"), keep_blank_values=True))
            self.behaviour.update(fields)
            self.reply(200, b"ok\n", "text/plain")
        elif path == ORDER_PATH:
            self.answer_order(body)
        else:
            self.reply(404, b"<html><body>Pagina niet gevonden</body></html>\n")

    def answer_order(self, body):
        settings = self.behaviour.current()
        if settings["delay"]:
            time.sleep(settings["delay"])
        if settings["drop"]:
            self.close_connection = True
            return
        if settings["cut"]:
            # An accepting status line whose header block never ends: no answer to go by.
            self.close_connection = True
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n")
            return
        if settings["interim"]:
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")
        order, problem = parse_order(body)
        if order is not None:
            self.behaviour.last_order = order
        if settings["status"]:
            code, _, reason = settings["status"].partition(" ")
            page = b"<html><body>Antwoord van de testwebshop</body></html>\n"
            self.raw_status(settings["version"], code, reason, page)
        elif order is None:
            self.reply(422, ("<html><body>Order geweigerd: %s</body></html>\n" % html.escape(problem)).encode())
        else:
            page = "<html><body><p>Order ontvangen: %d regels.</p></body></html>\n" % len(order["lines"])
            self.reply(200, page.encode())

    def raw_status(self, version, code, reason, body):
        """A status line exactly as configured, which send_response would not allow."""
        head = "%s %s %s\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n" % (version, code, reason, len(body))
        self.wfile.write(head.encode("latin-1") + body)
        self.log_request(code)

    def log_message(self, format, *args):
        sys.stderr.write("%s %s\n" % (self.log_date_time_string(), format % args))


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, behaviour, tls):
        super().__init__(address, Handler)
        self.behaviour = behaviour
        self.tls = tls

    def get_request(self):
        connection, address = super().get_request()
        # Without it every reply waits for the client's delayed ACK, about 40 ms a request.
        connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        return connection, address

    def finish_request(self, request, client_address):
        # The handshake runs in the connection's own thread, so a stalled client blocks no one.
        if self.tls is not None:
            try:
                request = self.tls.wrap_socket(request, server_side=True)
            except (ssl.SSLError, OSError) as error:
                sys.stderr.write("TLS handshake failed: %s\n" % error)
                return
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        error = sys.exc_info()[1]
        if isinstance(error, (ConnectionError, ssl.SSLError, TimeoutError)):
            return
        super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description="Local test webshop")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8443)
    parser.add_argument("--port-file")
    parser.add_argument("--cert-dir", default=os.path.join(os.getcwd(), "demo", "certs"))
    parser.add_argument("--plain", action="store_true")
    parser.add_argument("--status")
    parser.add_argument("--delay", type=float, default=0.0)
    args = parser.parse_args()

    tls = None
    if not args.plain:
        testca.ensure(args.cert_dir)
        tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls.load_cert_chain(os.path.join(args.cert_dir, "server.pem"), os.path.join(args.cert_dir, "server.key"))
    server = Server((args.host, args.port), Behaviour(args), tls)
    port = server.server_address[1]
    if args.port_file:
        testpeer.report_port(args.port_file, port)
    scheme = "http" if args.plain else "https"
    sys.stderr.write("webshop on %s://%s:%d (CA: %s)\n" % (scheme, args.host, port,
                                                           os.path.join(args.cert_dir, "ca.pem")))
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    server.server_close()


if __name__ == "__main__":
    main()
