#!/usr/bin/python3
"""Company for the Online now page against a real glftpd 2.13: adds the
accounts visitor and walker, uploads a little as visitor (so that the top
lists hold someone), then keeps one TLS session of each logged in until the
server ends it or this process is stopped. Writes WORK/companion.json once
both are logged in.

    glance_companion.py --port PORT --work WORK
"""

import argparse
import ftplib
import io
import json
import os
import sys
import threading
import time

SITEOP = ("glftpd", "glftpd")
ACCOUNTS = [("visitor", "Visitor123"), ("walker", "Walker123")]


def login(port, user, password):
    deadline = time.monotonic() + 15
    while True:
        try:
            ftp = ftplib.FTP_TLS()
            ftp.connect("127.0.0.1", port, timeout=30)
            ftp.auth()
            ftp.login(user, password)
            ftp.prot_p()
            return ftp
        except (OSError, EOFError, ftplib.Error) as error:
            if time.monotonic() > deadline:
                sys.exit("glance companion: no login as %s: %s" % (user, error))
            time.sleep(0.2)


def stay(ftp):
    """NOOP now and then until the server ends the session."""
    try:
        while True:
            time.sleep(5)
            ftp.voidcmd("NOOP")
    except (OSError, EOFError, ftplib.Error):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    op = login(options.port, *SITEOP)
    for user, password in ACCOUNTS:
        reply = op.sendcmd("SITE GADDUSER friends %s %s *@127.0.0.1" % (user, password))
        if "successfully added" not in reply:
            sys.exit("glance companion: SITE GADDUSER %s answered %s" % (user, reply))
    op.quit()
    sessions = [login(options.port, user, password) for user, password in ACCOUNTS]
    sessions[0].storbinary("STOR companion-upload.bin", io.BytesIO(b"z" * (1024 * 1024)))
    with open(os.path.join(options.work, "companion.json"), "w") as out:
        json.dump({"users": [user for user, _ in ACCOUNTS]}, out)
    threads = [threading.Thread(target=stay, args=(ftp,), daemon=True) for ftp in sessions]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()


if __name__ == "__main__":
    main()
