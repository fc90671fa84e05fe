#!/usr/bin/python3
"""A real SMTP server (aiosmtpd) that stores what it accepts in a Maildir.

Usage: mailbox_server.py MAILDIR [HOST] [PORT]

aiosmtpd's own command line keeps its 300-second idle limit, which a 10 MB
message sent line by line can outlast on a busy machine: the limit is reset
only by commands, not by message data. Here it is an hour.
"""
import signal
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.handlers import Mailbox


def main():
    maildir = sys.argv[1]
    host = sys.argv[2] if len(sys.argv) > 2 else "127.0.0.1"
    port = int(sys.argv[3]) if len(sys.argv) > 3 else 25
    controller = Controller(Mailbox(maildir), hostname=host, port=port,
                            data_size_limit=64 * 1024 * 1024, timeout=3600)
    stop = {signal.SIGTERM, signal.SIGINT}
    signal.pthread_sigmask(signal.SIG_BLOCK, stop)
    controller.start()
    signal.sigwait(stop)
    controller.stop()


if __name__ == "__main__":
    main()
