#!/usr/bin/env python3
"""Local SMTP server for the e-mail tests, on loopback.

    smtpserver.py --port 0 --port-file PORTFILE --store FOLDER [--mode MODE] [--greeting TEXT]

--port 0 picks a free port; the port actually bound is written to PORTFILE (aside, then
renamed). --greeting is the text after "220 " in the server's greeting ("host words...").
MODE says how the server answers:

  accept            takes every message (the default)
  refuse-recipient  answers every RCPT with 550
  refuse-data       takes the data, then refuses the message with 554
  silent            accepts the TCP connection and never says a word
  silent-after-data takes the data and never answers its end

The verb of every command the server heard goes as a line into FOLDER/commands.log (EHLO, HELO,
MAIL, RCPT, DATA, QUIT). Each accepted message N (from 1) is stored in FOLDER as it was received, N.eml, and as Python's
email package reads it: N.txt with one "key: value" line each (envelope, decoded headers, body,
attachment names, parser defects) and N.attachment-K with the decoded bytes of attachment K.
"""

import argparse
import asyncio
import os
import sys

try:
    from aiosmtpd.smtp import SMTP
except ImportError:
    # The Debian package installs for the system's interpreter; a python3 that comes first on
    # PATH (a version manager's) may not see it.
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != "/usr/bin/python3":
        os.execv("/usr/bin/python3", ["/usr/bin/python3", "-u"] + sys.argv)
    raise

import email
import email.policy

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import testpeer  # noqa: E402


def summary(raw, envelope):
    """The lines of N.txt and the attachments' bytes."""
    message = email.message_from_bytes(raw, policy=email.policy.default)
    lines = ["mail-from: " + envelope.mail_from]
    lines += ["rcpt-to: " + rcpt for rcpt in envelope.rcpt_tos]
    for name in ("Date", "Message-ID", "From", "To", "Cc", "Bcc", "Subject", "MIME-Version"):
        for value in message.get_all(name, []):
            lines.append(name.lower() + ": " + str(value))
    sender = message["From"]
    if sender is not None and sender.addresses:
        lines.append("from-name: " + sender.addresses[0].display_name)
        lines.append("from-address: " + sender.addresses[0].addr_spec)
    if message["Date"] is not None and message["Date"].datetime is not None:
        lines.append("date-parsed: yes")
    lines.append("content-type: " + message.get_content_type())
    body = message.get_body(preferencelist=("plain",))
    if body is not None:
        lines.append("body: " + body.get_content())
    attachments = []
    for part in message.iter_attachments():
        lines.append("attachment: " + str(part.get_filename()))
        attachments.append(part.get_payload(decode=True))
    defects = list(message.defects)
    for part in message.walk():
        defects += part.defects
    lines += ["defect: " + type(defect).__name__ for defect in defects]
    return lines, attachments


class Handler:
    def __init__(self, mode, store):
        self.mode = mode
        self.store = store
        self.count = 0

    def record(self, verb):
        with open(os.path.join(self.store, "commands.log"), "a") as log:
            log.write(verb + "\n")

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        self.record("EHLO")
        session.host_name = hostname
        return responses

    async def handle_HELO(self, server, session, envelope, hostname):
        self.record("HELO")
        session.host_name = hostname
        return "250 " + server.hostname

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        self.record("MAIL")
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_QUIT(self, server, session, envelope):
        self.record("QUIT")
        return "221 Bye"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        self.record("RCPT")
        if self.mode == "refuse-recipient":
            return "550 5.1.1 Mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.record("DATA")
        if self.mode == "refuse-data":
            return "554 5.6.0 Message refused"
        if self.mode == "silent-after-data":
            await asyncio.sleep(3600)
        self.count += 1
        base = os.path.join(self.store, str(self.count))
        raw = envelope.original_content
        lines, attachments = summary(raw, envelope)
        for index, data in enumerate(attachments, 1):
            with open("%s.attachment-%d" % (base, index), "wb") as out:
                out.write(data)
        with open(base + ".txt", "w", encoding="utf-8", newline="\n") as out:
            out.write("".join(line.replace("\n", "\\n") + "\n" for line in lines))
        # The message file comes last: a test that sees it finds the rest in place.
        with open(base + ".eml.tmp", "wb") as out:
            out.write(raw)
        os.replace(base + ".eml.tmp", base + ".eml")
        return "250 OK"


async def silent_client(reader, writer):
    await reader.read()
    writer.close()


async def serve(args):
    loop = asyncio.get_running_loop()
    if args.mode == "silent":
        server = await asyncio.start_server(silent_client, args.host, args.port)
    else:
        hostname, _, ident = args.greeting.partition(" ")
        handler = Handler(args.mode, args.store)
        server = await loop.create_server(
            lambda: SMTP(handler, hostname=hostname, ident=ident or None), args.host, args.port)
    port = server.sockets[0].getsockname()[1]
    if args.port_file:
        testpeer.report_port(args.port_file, port)
    print("smtpserver listening on %s:%d (%s)" % (args.host, port, args.mode), flush=True)
    async with server:
        await server.serve_forever()


def main():
    parser = argparse.ArgumentParser(description="Local test SMTP server")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=2525)
    parser.add_argument("--port-file")
    parser.add_argument("--store", default=os.getcwd())
    parser.add_argument("--mode", default="accept",
                        choices=("accept", "refuse-recipient", "refuse-data", "silent", "silent-after-data"))
    parser.add_argument("--greeting", default="smtp.test ESMTP gereed")
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    main()
