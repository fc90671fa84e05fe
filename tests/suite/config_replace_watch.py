#!/usr/bin/env python3
"""A save puts the new products list in place of the old one in a single step.

A reader racing a save sees a missing list only by chance; the folder's
events, watched from Linux while a program saves the list under Wine, show
every time whether the old list was deleted before the new one moved in.

    config_replace_watch.py PRODUCTS_SAVER_EXE    (WINEPREFIX set)
"""
import ctypes
import os
import shutil
import struct
import subprocess
import sys

IN_MOVED_FROM = 0x40
IN_MOVED_TO = 0x80
IN_CREATE = 0x100
IN_DELETE = 0x200
NAMES = {IN_MOVED_FROM: "moved from", IN_MOVED_TO: "moved to", IN_CREATE: "created",
         IN_DELETE: "deleted"}


def save(saver, path, code):
    subprocess.run(["wine", saver, path, code], check=True, timeout=120,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def events_of(descriptor):
    """Every event queued on the inotify descriptor, as (kind, name) in order."""
    events = []
    while True:
        try:
            data = os.read(descriptor, 65536)
        except BlockingIOError:
            return events
        offset = 0
        while offset < len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, offset)
            name = data[offset + 16:offset + 16 + length].rstrip(b"\0").decode()
            offset += 16 + length
            events += [(NAMES[bit], name) for bit in NAMES if mask & bit]


def main():
    saver = sys.argv[1]
    folder = os.path.join(os.environ["WINEPREFIX"], "drive_c", "tvr-replace-watch")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    path = "C:\\tvr-replace-watch\\products.cfg"
    save(saver, path, "FIRST")

    libc = ctypes.CDLL(None, use_errno=True)
    descriptor = libc.inotify_init1(os.O_NONBLOCK)
    if descriptor < 0 or libc.inotify_add_watch(
            descriptor, folder.encode(), IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE) < 0:
        print("inotify failed: errno %d" % ctypes.get_errno())
        return 1
    save(saver, path, "SECOND")
    events = events_of(descriptor)
    os.close(descriptor)
    shutil.rmtree(folder, ignore_errors=True)

    print("events: %s" % ", ".join("%s %s" % event for event in events))
    if ("moved to", "products.cfg") not in events:
        print("FAIL: the saved list never moved into place")
        return 1
    if ("deleted", "products.cfg") in events:
        print("FAIL: the old list was deleted before the new one moved in")
        return 1
    print("ok: the list was replaced in one step")
    return 0


if __name__ == "__main__":
    sys.exit(main())
