#!/usr/bin/env python3
"""Runs a command until a loopback connection closes, then stops the command.

The Windows test programs run under Wine, which starts a program of the host machine for them
but hands them neither a handle to stop it with nor a pipe to its input. They start the test
servers through this script, which connects back to a port the test program listens on: when the
test program closes that connection, or ends for whatever reason, the server is stopped.

    tether.py --connect PORT [--log FILE] [--ended FILE] command [args...]

--log names a file for the command's output (Wine does not hand the test program's files on).
--ended names a file written (aside, then renamed) with the command's exit status once it has
ended, so the test program sees a server that stopped by itself.
"""
import argparse
import os
import socket
import subprocess
import sys
import threading


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--connect", type=int, required=True)
    parser.add_argument("--log")
    parser.add_argument("--ended")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    if not options.command:
        parser.error("no command")

    connection = socket.create_connection(("127.0.0.1", options.connect), timeout=20)
    connection.settimeout(None)
    log = open(options.log, "wb") if options.log else None
    child = subprocess.Popen(options.command, stdin=subprocess.DEVNULL, stdout=log,
                             stderr=subprocess.STDOUT if log else None)

    def stop_when_closed():
        try:
            while connection.recv(4096):
                pass
        except OSError:
            pass
        child.terminate()
        try:
            child.wait(timeout=2)
        except subprocess.TimeoutExpired:
            child.kill()

    threading.Thread(target=stop_when_closed, daemon=True).start()
    code = child.wait()
    if options.ended:
        with open(options.ended + ".tmp", "w") as out:
            out.write(str(code))
        os.replace(options.ended + ".tmp", options.ended)
    connection.close()
    sys.exit(0 if code < 0 else code)


if __name__ == "__main__":
    main()
