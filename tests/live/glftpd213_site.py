#!/usr/bin/python3
"""Prepares a freshly started real glftpd 2.13 for the live administration
tests: gives the stock siteop the flags the listings need, logs in again and
builds a small site, then writes WORK/server.json for the test program.

    glftpd213_site.py --port PORT --work WORK

The site: groups iso, mp3 and friends; isoadm (group admin of iso),
isouser1, isoleech (ratio 0) and delme (deleted) in iso; mp3one and mp3two
in mp3; frank and gone (deleted) in friends. Every step's reply must say
what glftpd says when it took it (every reply has code 200, so only the
text tells); the first that does not stops the run with the reply.
"""

import argparse
import ftplib
import json
import os
import sys
import time

SITEOP = ("glftpd", "glftpd")

# The command and a text its reply holds when glftpd took it.
SITE = [
    ("GRPADD iso ISO release group", "successfully added"),
    ("GRPADD mp3 Music couriers", "successfully added"),
    ("GRPADD friends Friends of the site", "successfully added"),
    ("GADDUSER iso isoadm isoadmpw1 *@10.1.1.*", "successfully added to group iso"),
    ("GADDUSER iso isouser1 isouserpw1 *@10.1.1.*", "successfully added to group iso"),
    ("GADDUSER iso isoleech isoleechpw1", "successfully added to group iso"),
    ("GADDUSER iso delme delmepw1", "successfully added to group iso"),
    ("GADDUSER mp3 mp3one mp3onepw1", "successfully added to group mp3"),
    ("GADDUSER mp3 mp3two mp3twopw1", "successfully added to group mp3"),
    ("GADDUSER friends frank frankpw1 *@10.2.2.*", "successfully added to group friends"),
    ("GADDUSER friends gone gonepw1", "successfully added to group friends"),
    ("CHGADMIN isoadm iso", "successfully added as gadmin"),
    ("CHANGE isoleech ratio 0", "Command Successful."),
    ("DELUSER delme", "deleted."),
    ("DELUSER gone", "deleted."),
]


def login(port):
    """A TLS login as the siteop; glftpd may still be coming up."""
    deadline = time.monotonic() + 15
    while True:
        try:
            ftp = ftplib.FTP_TLS()
            ftp.connect("127.0.0.1", port, timeout=15)
            ftp.auth()
            ftp.login(*SITEOP)
            return ftp
        except (OSError, EOFError, ftplib.Error) as error:
            if time.monotonic() > deadline:
                sys.exit("glftpd 2.13 on port %d took no login: %s" % (port, error))
            time.sleep(0.2)


def site(ftp, command, expected):
    reply = ftp.sendcmd("SITE " + command)
    if expected not in reply:
        sys.exit("preparing the site: SITE %s answered:\n%s" % (command, reply))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()

    ftp = login(options.port)
    # The stock configuration asks for flag H for SITE USERS and SITE GINFO.
    site(ftp, "CHANGE glftpd flags +ABCDEFGH", "Command Successful.")
    ftp.quit()
    ftp = login(options.port)
    for command, expected in SITE:
        site(ftp, command, expected)
    ftp.quit()

    with open(os.path.join(options.work, "fingerprint")) as text:
        fingerprint = text.read().strip()
    info = {"port": options.port, "fingerprint": fingerprint, "user": SITEOP[0], "password": SITEOP[1]}
    with open(os.path.join(options.work, "server.json"), "w") as out:
        json.dump(info, out)


if __name__ == "__main__":
    main()
