#!/usr/bin/python3
"""A big site on a freshly started real glftpd 2.13, and a bare client to
time its listings against (tools/live-bench.sh --glftpd).

    glftpd_big_site.py build --port PORT --work WORK --accounts N
    glftpd_big_site.py bare --port PORT --command "SITE USERS" [--reps R]

build: gives the stock siteop the flags the listings need, adds a group and
one account through the server, then writes N more accounts' files beside
it (the server reads them as its own: adding 50,000 through SITE GADDUSER
would take minutes), raises total_users and writes WORK/server.json.

bare: a TLS login as the siteop with Python's ssl module, then COMMAND R
times, printing "bare <lines> <ms>" for each: from the write of the command
to the last byte of its reply, the lines joined as they come and nothing
else done with them.
"""

import argparse
import ftplib
import json
import os
import re
import socket
import ssl
import sys
import time

SITEOP = ("glftpd", "glftpd")


def login(port):
    deadline = time.monotonic() + 15
    while True:
        try:
            ftp = ftplib.FTP_TLS()
            ftp.connect("127.0.0.1", port, timeout=120)
            ftp.auth()
            ftp.login(*SITEOP)
            return ftp
        except (OSError, EOFError, ftplib.Error) as error:
            if time.monotonic() > deadline:
                sys.exit("glftpd 2.13 on port %d took no login: %s" % (port, error))
            time.sleep(0.2)


def build(options):
    root = os.path.join(options.work, "root")
    conf = os.path.join(options.work, "glftpd.conf")
    with open(conf) as text:
        config = re.sub(r"(?m)^total_users\s.*$", "total_users %d" % (options.accounts + 100), text.read())
    with open(conf, "w") as text:
        text.write(config)
    ftp = login(options.port)
    for command, expected in (("CHANGE glftpd flags +ABCDEFGH", "Command Successful."),
                              ("GRPADD crew Crew of the site", "successfully added"),
                              ("GADDUSER crew model modelpw1 *@10.1.1.*", "successfully added")):
        reply = ftp.sendcmd("SITE " + command)
        if expected not in reply:
            sys.exit("preparing the site: SITE %s answered:\n%s" % (command, reply))
    ftp.quit()
    users = os.path.join(root, "ftp-data", "users")
    with open(os.path.join(users, "model")) as text:
        model = text.read()
    with open(os.path.join(root, "etc", "passwd")) as text:
        entry = [line for line in text if line.startswith("model:")][0]
    entries = []
    for number in range(options.accounts - 2):  # glftpd and model are two
        name = "acct%05d" % number
        with open(os.path.join(users, name), "w") as out:
            out.write(model.replace("USER model", "USER " + name, 1))
        entries.append(name + entry[len("model"):])
    with open(os.path.join(root, "etc", "passwd"), "a") as out:
        out.write("".join(entries))
    with open(os.path.join(options.work, "fingerprint")) as text:
        fingerprint = text.read().strip()
    info = {"port": options.port, "fingerprint": fingerprint, "user": SITEOP[0], "password": SITEOP[1]}
    with open(os.path.join(options.work, "server.json"), "w") as out:
        json.dump(info, out)


def reply_of(connection, pending):
    """The next reply's bytes; what came after it stays in pending[0]. Each
    read's complete lines are looked at once: the reply is done at the
    first "ddd " line."""
    parts = []
    carry = pending[0]  # the lines not looked at yet
    while True:
        at = 0
        while True:
            end = carry.find(b"\r\n", at)
            if end < 0:
                break
            if end - at >= 4 and carry[at + 3:at + 4] == b" " and carry[at:at + 3].isdigit():
                parts.append(carry[:end + 2])
                pending[0] = carry[end + 2:]
                return b"".join(parts)
            at = end + 2
        parts.append(carry[:at])
        carry = carry[at:]
        data = connection.recv(1 << 20)
        if not data:
            raise EOFError("the server closed the connection")
        carry += data


def bare(options):
    raw = socket.create_connection(("127.0.0.1", options.port), timeout=300)
    pending = [b""]
    reply_of(raw, pending)
    raw.sendall(b"AUTH TLS\r\n")
    reply_of(raw, pending)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    connection = context.wrap_socket(raw)
    for line in ("USER %s" % SITEOP[0], "PASS %s" % SITEOP[1]):
        connection.sendall(line.encode() + b"\r\n")
        reply_of(connection, pending)
    for _ in range(options.reps):
        start = time.perf_counter()
        connection.sendall(options.command.encode() + b"\r\n")
        reply = reply_of(connection, pending)
        print("bare %d %.1f" % (reply.count(b"\n"), (time.perf_counter() - start) * 1000), flush=True)
    connection.sendall(b"QUIT\r\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("what", choices=("build", "bare"))
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--work")
    parser.add_argument("--accounts", type=int, default=50000)
    parser.add_argument("--command", default="SITE USERS")
    parser.add_argument("--reps", type=int, default=1)
    options = parser.parse_args()
    if options.what == "build":
        build(options)
    else:
        bare(options)


if __name__ == "__main__":
    main()
