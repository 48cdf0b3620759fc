#!/usr/bin/env python3
"""A throw-away certificate authority and a loopback server certificate, made with the openssl CLI.

    python3 tools/testca.py DIR

leaves in DIR: ca.pem (the CA certificate a client trusts), server.pem and server.key (for
"localhost" and 127.0.0.1). Files already there are kept. Keys are made on the spot and never
belong in the repository.
"""

import os
import subprocess
import sys
import tempfile

try:
    import fcntl
except ImportError:  # Windows: one demo server at a time, nothing to share
    fcntl = None

FILES = ("ca.pem", "server.pem", "server.key")

SERVER_EXTENSIONS = """\
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1
"""


def _openssl(*args, cwd):
    subprocess.run(("openssl",) + args, cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def _make(work):
    # RSA: Wine's crypt32 refuses an ECDSA signature whose r or s is shorter than 32 bytes (about
    # one certificate in a hundred), which would fail a trial under Wine now and then.
    key = ("-newkey", "rsa:2048", "-nodes")
    _openssl("req", "-x509", *key, "-keyout", "ca.key", "-out", "ca.pem", "-days", "3650",
             "-subj", "/CN=Transvo test CA",
             "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=work)
    _openssl("req", *key, "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost", cwd=work)
    with open(os.path.join(work, "server.ext"), "w") as ext:
        ext.write(SERVER_EXTENSIONS)
    _openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
             "-CAcreateserial", "-out", "server.pem", "-days", "825", "-extfile", "server.ext", cwd=work)


def _complete(directory):
    return all(os.path.isfile(os.path.join(directory, name)) for name in FILES)


def ensure(directory):
    """Makes the CA and the server certificate in directory unless they are there already.

    Test processes running side by side share one folder: the first makes the set while the
    others wait for it, and the set is made aside and moved in, so none finds half of it.
    """
    os.makedirs(directory, exist_ok=True)
    if _complete(directory):
        return directory
    with open(os.path.join(directory, ".lock"), "w") as lock:
        if fcntl is not None:
            fcntl.flock(lock, fcntl.LOCK_EX)
        if not _complete(directory):
            with tempfile.TemporaryDirectory(dir=directory) as work:
                _make(work)
                # server.key last: its presence completes the set.
                for name in ("ca.key", "ca.pem", "server.pem", "server.key"):
                    os.replace(os.path.join(work, name), os.path.join(directory, name))
    return directory


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: testca.py DIR")
    ensure(sys.argv[1])
