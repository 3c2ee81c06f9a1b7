#!/usr/bin/env python3
"""Writes a zip file whose bytes depend only on its contents and on SOURCE_DATE_EPOCH.

Usage: make_zip.py OUT.zip NAME=FILE [NAME=FILE ...]
Every entry gets the same time stamp and plain permissions, in the order given; names
outside ASCII are stored as UTF-8 with the zip format's UTF-8 flag, as Windows 8 and later,
7-Zip and libarchive read them, and once more in the Info-ZIP Unicode Path extra field,
which Info-ZIP's unzip reads instead of the flag.
"""
import os
import struct
import sys
import time
import zipfile
import zlib


def unicode_path_field(name):
    """Info-ZIP Unicode Path (0x7075): version 1, the CRC-32 of the stored name, the name."""
    utf8 = name.encode("utf-8")
    body = struct.pack("<BI", 1, zlib.crc32(utf8)) + utf8
    return struct.pack("<HH", 0x7075, len(body)) + body


def main(arguments):
    if len(arguments) < 2:
        sys.exit(__doc__)
    stamp = time.gmtime(int(os.environ.get("SOURCE_DATE_EPOCH", "315532800")))
    date_time = (max(stamp.tm_year, 1980),) + tuple(stamp[1:6])
    with zipfile.ZipFile(arguments[0], "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for pair in arguments[1:]:
            name, source = pair.split("=", 1)
            entry = zipfile.ZipInfo(name, date_time)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0  # as if made on Windows: no Unix owner or mode to carry
            entry.external_attr = 0x20  # the archive attribute, as Windows sets it
            if not name.isascii():
                entry.extra = unicode_path_field(name)
            with open(source, "rb") as file:
                archive.writestr(entry, file.read())


if __name__ == "__main__":
    main(sys.argv[1:])
