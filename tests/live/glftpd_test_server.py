#!/usr/bin/python3
"""A small FTP server on loopback that answers like glftpd, for the live
connection's tests under Wine.

Two listeners: "tls" (AUTH TLS with a fresh self-signed certificate, plain
login allowed too) and "notls" (refuses AUTH as a server without TLS). The
password is "secret" for every account; the account name picks how the
server misbehaves:

  siteop       answers normally, multi-line replies in big writes
  linerecords  every reply line in a write (a TLS record) of its own
  stall        answers the login and one NOOP (a client learns its fence
               from it), then nothing more
  dropper      sends half of a SITE USER reply, then drops the connection
  stray        after SITE KILL's reply, a lone "200- " line 1 ms later
  bigreply     SITE USER without a name lists --listing-users names
               (so does linerecords, one record per line)

Writes DIR/server.json once listening, appends every command line it gets
to DIR/received.log ("<listener> <user or -> <line>", passwords masked) and
the big listing it sends to DIR/big_listing.txt. Runs under Debian's
/usr/bin/python3 (pyftpdlib, python3-openssl); stops on SIGTERM.
"""

import argparse
import json
import logging
import os
import signal
import sys

from OpenSSL import SSL, crypto
from pyftpdlib.handlers import TLS_FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures")
PASSWORD = "secret"
BIG_LISTING_USERS = ("bigreply", "linerecords")

# SITE commands answered with a fixture, and the account screens there are.
SITE_FIXTURES = {"GROUPS": "site_groups.txt", "SWHO": "site_swho.txt", "WHO": "site_who.txt"}
ACCOUNT_SCREENS = {
    "alice": "site_user_alice.txt",
    "leech": "site_user_leech.txt",
    "bob": "edit_user_bob.txt",
    "carol": "edit_user_carol.txt",
    "newbie": "add_user_newbie_account.txt",
}
# One-line successes; {0} {1} are the first arguments, {rest} all after the first two.
SITE_SUCCESS = {
    "ADDUSER": "User ({0}) successfully added.",
    "ADDIP": "IP '{1}' successfully added to {0}.",
    "DELIP": "IP ({1}) removed from {0}.",
    "CHGRP": "'{0}' has been successfully added to '{1}'",
    "CHANGE": "Changed {1} for {0} to {rest}.",
    "CHPASS": "Password Changed...",
    "DELUSER": "User ({0}) deleted.",
    "READD": "User ({0}) readded.",
    "GRPADD": "Group ({0}) successfully added.",
    "GRPDEL": "Group ({0}) successfully deleted.",
    "GIVE": "Successfully transferred {1}K to {0}.",
    "TAKE": "Successfully took {1}K from {0}.",
}


def fixture(name):
    with open(os.path.join(FIXTURES, name), encoding="latin-1") as text:
        return [line.rstrip("\r\n") for line in text]


def big_listing(count):
    """SITE USER's listing of `count` names, in the fixture's layout."""
    frame = fixture("site_user_listing.txt")
    names = ["user%d" % n for n in range(1, count + 1)]
    rows = []
    for at in range(0, len(names), 6):
        row = "".join(name[:11].ljust(11) + " " for name in names[at:at + 6])
        rows.append("200- " + row.ljust(72))
    return frame[:2] + rows + frame[-4:-1] + ["200 %d total users on site." % count]


def make_certificate(state_dir):
    key = crypto.PKey()
    key.generate_key(crypto.TYPE_RSA, 2048)
    cert = crypto.X509()
    cert.set_version(2)
    cert.set_serial_number(int.from_bytes(os.urandom(8), "big"))
    cert.get_subject().CN = "localhost"
    cert.set_issuer(cert.get_subject())
    cert.gmtime_adj_notBefore(-86400)
    cert.gmtime_adj_notAfter(30 * 86400)
    cert.set_pubkey(key)
    cert.add_extensions([
        crypto.X509Extension(b"subjectAltName", False, b"DNS:localhost, IP:127.0.0.1"),
        crypto.X509Extension(b"basicConstraints", True, b"CA:FALSE"),
        crypto.X509Extension(b"extendedKeyUsage", False, b"serverAuth"),
    ])
    cert.sign(key, "sha256")
    with open(os.path.join(state_dir, "cert.pem"), "wb") as out:
        out.write(crypto.dump_certificate(crypto.FILETYPE_PEM, cert))
    with open(os.path.join(state_dir, "key.pem"), "wb") as out:
        out.write(crypto.dump_privatekey(crypto.FILETYPE_PEM, key))
    context = SSL.Context(SSL.TLS_METHOD)
    context.set_options(SSL.OP_NO_SSLv2 | SSL.OP_NO_SSLv3 | SSL.OP_NO_COMPRESSION)
    context.use_certificate(cert)
    context.use_privatekey(key)
    return context, cert.digest("sha256").decode("ascii")


class LineProducer:
    """Hands asynchat one line per call, so each line is one send (one TLS record)."""

    def __init__(self, lines):
        self.lines = iter(lines)

    def more(self):
        return next(self.lines, b"")


class Then:
    """Runs an action once everything queued before it has been sent."""

    def __init__(self, action):
        self.action = action

    def more(self):
        self.action()
        return b""


class GlftpdHandler(TLS_FTPHandler):
    listener = "tls"
    offers_tls = True
    received = None
    listing = []
    banner = "localhost (glFTPd 2.13a_OpenSSL_x64+TLS) ready."

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.account = None    # after USER
        self.logged_in = False
        self.held = None       # lines read while a write is still due
        self.ignoring = False
        self.noops = 0

    # Lines are ours to read: pyftpdlib's own command table is bypassed.
    def found_terminator(self):
        line = b"".join(self._in_buffer).decode("utf-8", "replace")
        self._in_buffer = []
        self._in_buffer_len = 0
        if self.held is not None:
            self.held.append(line)
        else:
            self.command(line)

    def record(self, line):
        word = line.split(" ", 1)[0]
        shown = word + " ****" if word.upper() == "PASS" else line
        self.received.write("%s %s %s\n" % (self.listener, self.account or "-", shown))
        self.received.flush()

    def command(self, line):
        self.record(line)
        word, _, arg = line.partition(" ")
        word = word.upper()
        if self.ignoring or (self.account == "stall" and self.logged_in and
                             (word != "NOOP" or self.noops > 0)):
            return
        if word == "AUTH":
            if self.offers_tls:
                self.ftp_AUTH(arg)
            else:
                self.respond("500 '%s': command not understood." % line)
        elif word in ("PBSZ", "PROT") and self.offers_tls:
            getattr(self, "ftp_" + word)(arg)
        elif word == "USER":
            self.account = arg
            self.logged_in = False
            self.respond("331 Password required for %s." % arg)
        elif word == "PASS":
            if self.account and arg == PASSWORD:
                self.logged_in = True
                self.respond("230 User %s logged in." % self.account)
            else:
                self.respond("530 Login incorrect.")
        elif word == "QUIT":
            self.respond("221 Goodbye.")
            self.close_when_done()
        elif not self.logged_in:
            self.respond("530 Please login with USER and PASS.")
        elif word == "NOOP":
            self.noops += 1
            self.respond("200 NOOP command successful.")
        elif word == "SITE" and arg:
            self.site(arg)
        else:
            self.respond("500 '%s': command not understood." % line)

    def site(self, arg):
        words = arg.split(" ")
        keyword = words[0].upper()
        args = words[1:]
        if keyword == "USER":
            self.site_user(args[0] if args else "")
        elif keyword == "KILL" and args:
            self.send_lines(["200- ", "200 %s: Invalid PiD." % args[0]])
            if self.account == "stray":
                # glftpd writes a lone "200- " just after, before it reads on.
                self.held = []
                self.ioloop.call_later(0.001, self.stray_line)
        elif keyword in SITE_FIXTURES:
            self.send_lines(fixture(SITE_FIXTURES[keyword]))
        elif keyword in SITE_SUCCESS:
            padded = args + [""] * 2
            text = SITE_SUCCESS[keyword].format(*padded, rest=" ".join(args[2:]))
            self.respond("200 " + text)
        else:
            self.respond("500 'SITE %s': command not understood." % words[0])

    def site_user(self, name):
        if not name:
            if self.account in BIG_LISTING_USERS:
                lines = self.listing
            else:
                lines = fixture("site_user_listing.txt")
        elif name in ACCOUNT_SCREENS:
            lines = fixture(ACCOUNT_SCREENS[name])
        else:
            lines = ["200 User '%s' does not exist." % name]
        if self.account == "dropper":
            self.ignoring = True
            self.send_lines(lines[:max(1, len(lines) // 2)])
            self.push_with_producer(Then(self.drop))
        else:
            self.send_lines(lines)

    def send_lines(self, lines):
        if self.account == "linerecords":
            self.push_with_producer(LineProducer([(line + "\r\n").encode("latin-1") for line in lines]))
        else:
            self.push("".join(line + "\r\n" for line in lines))

    def stray_line(self):
        if self._closed:
            return
        self.push("200- \r\n")
        held, self.held = self.held, None
        for line in held:
            if self.held is not None:
                self.held.append(line)
            else:
                self.command(line)

    def drop(self):
        # As glftpd does: end of stream, no TLS close_notify.
        self._error = True
        self.close()


class PlainHandler(GlftpdHandler):
    listener = "notls"
    offers_tls = False
    banner = "localhost (glFTPd 2.13a_x64) ready."


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--state-dir", required=True)
    parser.add_argument("--listing-users", type=int, default=20000)
    options = parser.parse_args()
    state_dir = os.path.abspath(options.state_dir)
    os.makedirs(state_dir, exist_ok=True)

    context, fingerprint = make_certificate(state_dir)
    listing = big_listing(options.listing_users)
    with open(os.path.join(state_dir, "big_listing.txt"), "w", encoding="latin-1") as out:
        out.write("".join(line + "\n" for line in listing))
    logging.basicConfig(filename=os.path.join(state_dir, "server.log"), level=logging.INFO)
    log = open(os.path.join(state_dir, "received.log"), "a", encoding="utf-8")
    for handler in (GlftpdHandler, PlainHandler):
        handler.ssl_context = context
        handler.received = log
        handler.listing = listing

    ioloop = IOLoop()
    servers = {name: FTPServer(("127.0.0.1", 0), handler, ioloop=ioloop)
               for name, handler in (("tls", GlftpdHandler), ("notls", PlainHandler))}
    info = {
        "tls_port": servers["tls"].address[1],
        "notls_port": servers["notls"].address[1],
        "fingerprint": fingerprint,
        "pid": os.getpid(),
    }
    # Written whole and then renamed: a reader never sees half of it.
    partial = os.path.join(state_dir, "server.json.part")
    with open(partial, "w") as out:
        json.dump(info, out)
    os.replace(partial, os.path.join(state_dir, "server.json"))

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        ioloop.loop()
    except (KeyboardInterrupt, SystemExit):
        pass
    finally:
        ioloop.close()
        log.close()


if __name__ == "__main__":
    main()
