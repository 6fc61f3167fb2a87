#!/usr/bin/env python3
"""Write a zip whose bytes depend only on the files' names and contents.

Usage: make_zip.py OUTPUT.zip EPOCH FILE...

Each FILE is stored under its base name, in sorted order, with the time
EPOCH (seconds, UTC; e.g. SOURCE_DATE_EPOCH), Unix permissions 0755 for
programs and DLLs and 0644 for the rest, no extra fields and no comment.
The output appears complete or not at all.
"""

import os
import sys
import time
import zipfile


def zip_time(epoch):
    # A zip's DOS time covers 1980..2107 in steps of two seconds.
    moment = time.gmtime(min(max(epoch, 315532800), 4354819198))
    return moment[:6]


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__.strip())
    output, epoch, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    names = [os.path.basename(path) for path in files]
    if len(set(names)) != len(names):
        sys.exit("make_zip.py: two files with one name")
    partial = output + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, path in sorted(zip(names, files)):
            entry = zipfile.ZipInfo(name, date_time=zip_time(epoch))
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, so that the permissions below count
            mode = 0o755 if name.lower().endswith((".exe", ".dll")) else 0o644
            entry.external_attr = (0o100000 | mode) << 16
            with open(path, "rb") as handle:
                archive.writestr(entry, handle.read(), compresslevel=9)
    os.replace(partial, output)


if __name__ == "__main__":
    main()
