#!/usr/bin/python3
"""A small FTP server on loopback that answers like glftpd, for the live
connection's tests under Wine.

Listeners: "tls" (AUTH TLS with a fresh self-signed certificate, plain
login allowed too), "notls" (refuses AUTH as a server without TLS),
"clientcert" (as "tls", but its TLS handshake requires a client
certificate) and "records" (see below). The password is "secret" for
every account; on "tls" and "notls" the account name picks how the server
misbehaves:

  siteop       answers normally, multi-line replies in big writes
  linerecords  every reply line in a write (a TLS record) of its own
  stall        answers the login and one NOOP (a client learns its fence
               from it), then nothing more
  dropper      sends half of a SITE USER reply, then drops the connection
  stray        after SITE KILL's reply, a lone "200- " line 1 ms later
  bigreply     SITE USER without a name lists --listing-users names
               (so does linerecords, one record per line)
  noisy        answers a SITE command with a stream that never ends:
               lines without a reply code and one-line replies, mixed
  splitter     right after a NOOP reply that answers the last line received
               (in the same write) opens an unsolicited reply, "200-Unsolicited
               notice", and ends it, "200 end of notice", only when the next
               line arrives, just before that line's reply
  trickle      sends SITE USER's listing (the fixture's) one byte every
               5 ms, each byte a write (a TLS record) of its own
  flood        right after the reply to the NOOP that follows SITE GROUPS,
               sends FLOOD_REPLIES one-line replies "299 unsolicited N"
  noopflood    once SITE GROUPS was sent, right after every NOOP reply
               sends NOOP_FLOOD_REPLIES one-line replies "299 unsolicited N"

"records" is TLS done by hand over memory buffers, so that the records the
server sends can be counted, cut and added where OpenSSL never would (the
cipher is fixed to ECDHE-RSA-AES128-GCM-SHA256 under TLS 1.2 for the empty
ones). Any account logs in; the account name picks what a SITE command gets:

  slowrecords  its reply in one TLS record whose bytes come one every
               SLOW_RECORD_SECONDS (SITE USER <name>: 1.8 KB, about 4 s)
  (any other)  zero-length application-data records, as fast as the client
               takes them, until it goes

Writes DIR/server.json once listening, appends every command line it gets
to DIR/received.log ("<listener> <user or -> <line>", passwords masked) and
the big listing it sends to DIR/big_listing.txt. Runs under Debian's
/usr/bin/python3 (pyftpdlib, python3-openssl); stops on SIGTERM.
"""

import argparse
import hashlib
import hmac
import json
import logging
import os
import signal
import socket
import sys
import threading
import time

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
from cryptography.hazmat.primitives.ciphers.aead import AESGCM
from OpenSSL import SSL, crypto
from pyftpdlib.handlers import TLS_FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures")
PASSWORD = "secret"
BIG_LISTING_USERS = ("bigreply", "linerecords")
NOOP_REPLY = "200 NOOP command successful."
TRICKLE_SECONDS = 0.005
FLOOD_REPLIES = 300000
NOOP_FLOOD_REPLIES = 1000
SLOW_RECORD_SECONDS = 0.002

# SITE commands answered with a fixture, and the account screens there are.
SITE_FIXTURES = {"GROUPS": "site_groups.txt", "SWHO": "site_swho.txt", "WHO": "site_who.txt",
                 "WKUP": "glftpd213/glance/site-wkup.txt"}
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


# The glftpd 2.x administration listings (SITE GRP, SITE GINFO, SITE USERS)
# over a small site of the listing's accounts, in the layout glftpd 2.13 sends:
# account: (primary group, siteop, group admin, leech, deleted, credits MiB).
ADMIN_ACCOUNTS = {
    "glftpd": ("glftpd", True, False, False, False, 5),
    "alice": ("friends", False, False, False, False, 2868),
    "bob": ("friends", False, True, False, False, 15),
    "frank": ("friends", False, False, False, False, 15),
    "erin": ("friends", False, False, False, True, 15),
    "charlie_longname": ("testers", False, False, False, False, 15),
    "testu1": ("testers", False, False, False, False, 15),
    "carol": ("NoGroup", False, False, True, False, 0),
    "leech": ("NoGroup", False, False, True, False, 0),
    "dave": ("NoGroup", False, False, False, False, 15),
}
# group: (comment, slots, leech slots, allotment slots, max allotment KiB, max logins)
ADMIN_GROUPS = {
    "glftpd": ("glftpd", -1, 0, 0, 0, 0),
    "friends": ("Friends of the site", 10, 2, 5, 4096, 4),
    "testers": ("Beta testers", -1, -2, -1, 0, 0),
    "NoGroup": ("No Group", -1, 0, 0, 0, 0),
}
GINFO_ART = [
    "200-                                             ________",
    "200- _____________.______________________________\\\\     _/___________",
    "200- \\\\      _     |     _      /    _       /     \\\\     \\\\      _    \\\\",
    "200-  \\\\     \\\\     |     /_____/     \\\\      /      |\\\\     \\\\     \\\\    /XFER",
    "200-    \\\\______    |______|    \\\\___________/|______________\\\\    ____/ STATS",
    "200- .---- /______| ------------------------------------ |_____| ------------.",
    "200- |  Username |     Up |       MiB |     Dn |       MiB | Ratio |    Wkly |",
    "200- |-----------+--------+-----------+--------+-----------+-------+---------|",
]
GINFO_RULE = "200- |----------+------+--------+------+--------+-------+--------------------|"


def boxed(text):
    """A line of glftpd's 73-column box."""
    return "200- |" + text.ljust(71) + "|"


def grp_value(label, value, hint):
    return boxed((" %s: %s" % (label, value)).ljust(44) + hint)


def grp_screen(args):
    name = args[0] if args else ""
    if name not in ADMIN_GROUPS:
        return ["200 Group (%s) does not exist." % name]
    comment, slots, leech, allot, size, logins = ADMIN_GROUPS[name]
    unlimited = {-1: "Unlimited"}
    return [
        "200- Group Comment: " + comment,
        "200- +" + "=" * 71 + "+",
        boxed(" Groupname: " + name),
        boxed(" Groupcomment: " + comment),
        grp_value("Number of slots left", unlimited.get(slots, slots), "(-1 = Unlimited)"),
        grp_value("Number of leech slots left", {-1: "Unlimited", -2: "Disabled"}.get(leech, leech),
                  "(-1 = Disabled)"),
        grp_value("Number of allotment slots left", {-1: "Unlimited", -2: "Disabled"}.get(allot, allot),
                  "(-2 = Disabled, -1 = Unlim)"),
        grp_value("Max. allotment size", "Unlimited" if size == 0 else "%f" % (size / 1024), "(0 = Unlimited)"),
        grp_value("Max simultaneous logins", "Unlimited" if logins == 0 else logins, "(0 = Unlimited)"),
        "200- +" + "-" * 71 + "+",
        "200 Command Successful.",
    ]


def ginfo_screen(args):
    name = args[0] if args else ""
    if name not in ADMIN_GROUPS:
        return ["200 '%s' is not a valid group. SITE GROUPS for a list." % name]
    # Deleted members are listed like any other.
    members = [(account, fields) for account, fields in ADMIN_ACCOUNTS.items() if fields[0] == name]
    rows = []
    for account, (_, siteop, gadmin, leech, _, _) in members:
        mark = "*" if siteop else "+" if gadmin else " "
        ratio = "leech" if leech else " 1:3 "
        rows.append("200- |%s%-10s|%7d |%10d |%7d |%10d | %s |%8d |" % (mark, account, 0, 0, 0, 0, ratio, 0))
    slots, leech_slots = ADMIN_GROUPS[name][1], ADMIN_GROUPS[name][2]
    with_leech = sum(1 for _, fields in members if fields[3])
    return GINFO_ART + rows + [
        GINFO_RULE,
        "200- |   * denotes a siteop (flag 1)     + denotes a group admin (flag 2)    |",
        GINFO_RULE,
        boxed("   Tot MiB Up:        0.0   Tot Files Up:      0   Users in group: %d" % len(members)),
        boxed("   Tot MiB Dn:        0.0   Tot Files Dn:      0       With leech: %d" % with_leech),
        boxed("   Total Free Slots: %-12sFree Leech Slots: %s" % ("Unlimited" if slots == -1 else slots,
                                                                   leech_slots)),
        "200- `" + "-" * 71 + "'",
        "200 Command Successful.",
    ]


def users_screen(args):
    """SITE USERS [=group | prefix* | deleted | flag word]: the rows leave out
    the deleted accounts (but "deleted" lists only them), the counters count
    the whole selection, deleted ones included."""
    word = args[0] if args else ""
    flag_words = {"siteop": 1, "1": 1, "gadmin": 2, "2": 2, "leech": 3}
    if word.startswith("=") and word[1:] not in ADMIN_GROUPS:
        return ["200 Group (%s) does not exist." % word[1:]]
    selected = []
    for account in sorted(ADMIN_ACCOUNTS):
        fields = ADMIN_ACCOUNTS[account]
        if word in ("", "all", "*"):
            chosen = True
        elif word.startswith("="):
            chosen = fields[0] == word[1:]
        elif word.endswith("*"):
            chosen = account.startswith(word[:-1])
        elif word == "deleted":
            chosen = fields[4]
        else:
            chosen = word in flag_words and fields[flag_words[word]]
        if chosen:
            selected.append((account, fields))
    shown = [(account, fields) for account, fields in selected if fields[4] == (word == "deleted")]
    lines = ["200- Detailed User Listing..."]
    for account, fields in shown:
        lines.append("200- %-15s %-10s UL:%5dMiB      DL:%5dMiB      Credit:%6dMiB" % (account, fields[0], 0, 0,
                                                                                     fields[5]))
    counts = [sum(1 for _, fields in selected if fields[k]) for k in (1, 2, 3, 4)]
    return lines + [
        "200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0",
        "200- SITEOPS=%d, GADMINS=%d, LEECH=%d, DELETED=%d" % tuple(counts),
        "200 %d Total members." % len(shown),
    ]


ADMIN_SCREENS = {"GRP": grp_screen, "GINFO": ginfo_screen, "USERS": users_screen}


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
    return cert, key


def tls_context(cert, key):
    context = SSL.Context(SSL.TLS_METHOD)
    context.set_options(SSL.OP_NO_SSLv2 | SSL.OP_NO_SSLv3 | SSL.OP_NO_COMPRESSION)
    context.use_certificate(cert)
    context.use_privatekey(key)
    return context


class LineProducer:
    """Hands asynchat one line per call, so each line is one send (one TLS record)."""

    def __init__(self, lines):
        self.lines = iter(lines)

    def more(self):
        return next(self.lines, b"")


class NoiseProducer:
    """An endless stream: lines without a reply code and one-line replies."""

    def __init__(self):
        self.count = 0

    def more(self):
        lines = []
        for _ in range(50):
            self.count += 1
            lines.append("noise line %d without a reply code" % self.count)
            lines.append("200 Unsolicited reply %d." % self.count)
        return "".join(line + "\r\n" for line in lines).encode("latin-1")


class FloodProducer:
    """`count` one-line replies that no command asked for."""

    def __init__(self, count=FLOOD_REPLIES):
        self.sent = 0
        self.count = count

    def more(self):
        end = min(self.sent + 5000, self.count)
        lines = "".join("299 unsolicited %d\r\n" % n for n in range(self.sent, end))
        self.sent = end
        return lines.encode("latin-1")


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
        self.notice_open = False
        self.flood_due = False
        self.groups_sent = False

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
        if self.notice_open:
            self.push("200 end of notice\r\n")
            self.notice_open = False
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
            # A line still unread means the client is not idle yet.
            if self.account == "splitter" and b"\n" not in self.ac_in_buffer:
                self.push(NOOP_REPLY + "\r\n200-Unsolicited notice\r\n")
                self.notice_open = True
            else:
                self.respond(NOOP_REPLY)
            if self.flood_due:
                self.flood_due = False
                self.push_with_producer(FloodProducer())
            elif self.account == "noopflood" and self.groups_sent:
                self.push_with_producer(FloodProducer(NOOP_FLOOD_REPLIES))
        elif word == "SITE" and arg:
            self.site(arg)
            self.flood_due = self.account == "flood" and arg.upper() == "GROUPS"
            self.groups_sent = self.groups_sent or arg.upper() == "GROUPS"
        else:
            self.respond("500 '%s': command not understood." % line)

    def site(self, arg):
        words = arg.split(" ")
        keyword = words[0].upper()
        args = words[1:]
        if self.account == "noisy":
            self.ignoring = True
            self.push_with_producer(NoiseProducer())
        elif keyword == "USER":
            self.site_user(args[0] if args else "")
        elif keyword == "KILL" and args:
            self.send_lines(["200- ", "200 %s: Invalid PiD." % args[0]])
            if self.account == "stray":
                # glftpd writes a lone "200- " just after, before it reads on.
                self.held = []
                self.ioloop.call_later(0.001, self.stray_line)
        elif keyword in ADMIN_SCREENS:
            self.send_lines(ADMIN_SCREENS[keyword](args))
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
        elif self.account == "trickle":
            self.held = []
            self.trickle("".join(line + "\r\n" for line in lines))
        else:
            self.send_lines(lines)

    def trickle(self, rest):
        if self._closed:
            return
        if not rest:
            self.release_held()
            return
        self.push(rest[:1])
        self.ioloop.call_later(TRICKLE_SECONDS, self.trickle, rest[1:])

    def send_lines(self, lines):
        if self.account == "linerecords":
            self.push_with_producer(LineProducer([(line + "\r\n").encode("latin-1") for line in lines]))
        else:
            self.push("".join(line + "\r\n" for line in lines))

    def stray_line(self):
        if self._closed:
            return
        self.push("200- \r\n")
        self.release_held()

    def release_held(self):
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


class ClientCertHandler(GlftpdHandler):
    listener = "clientcert"


def p_sha256(secret, seed, size):
    """TLS 1.2's PRF with SHA-256."""
    out, a = b"", seed
    while len(out) < size:
        a = hmac.new(secret, a, hashlib.sha256).digest()
        out += hmac.new(secret, a + seed, hashlib.sha256).digest()
    return out[:size]


def gcm_multiply(x, y):
    """x times y in GCM's field, blocks as big-endian integers."""
    product = 0
    for bit in range(127, -1, -1):
        if (x >> bit) & 1:
            product ^= y
        y = (y >> 1) ^ (0xE1 << 120) if y & 1 else y >> 1
    return product


class EmptyRecordSealer:
    """Zero-length TLS 1.2 AES-GCM application-data records, many times faster
    than AESGCM one at a time (which Wine's SChannel outpaces): with nothing
    to encrypt a record's tag is E(K, J0) xor GHASH(H, additional data), the
    E(K, J0) of a batch come from one ECB call, and GHASH is linear in the
    sequence number's bits."""

    def __init__(self, key, salt):
        self.salt = salt
        self.ecb = Cipher(algorithms.AES(key), modes.ECB())
        encryptor = self.ecb.encryptor()
        h = int.from_bytes(encryptor.update(bytes(16)), "big")
        h2 = gcm_multiply(h, h)
        # The additional data: sequence(8) 17 03 03 00 00, padded to a block,
        # then the block of lengths (13 bytes of it, nothing encrypted).
        self.constant = (gcm_multiply(int.from_bytes(bytes(8) + b"\x17\x03\x03" + bytes(5), "big"), h2) ^
                         gcm_multiply(104 << 64, h))
        self.bits = [gcm_multiply(1 << (64 + k), h2) for k in range(64)]
        self.low = [0] * 256
        for value in range(256):
            for k in range(8):
                if (value >> k) & 1:
                    self.low[value] ^= self.bits[k]

    def batch(self, first):
        """256 records from sequence number `first` on (a multiple of 256)."""
        high = self.constant
        for k in range(8, 64):
            if (first >> k) & 1:
                high ^= self.bits[k]
        sequences = [(first + i).to_bytes(8, "big") for i in range(256)]
        counters = self.ecb.encryptor().update(b"".join(self.salt + s + b"\x00\x00\x00\x01" for s in sequences))
        return b"".join(
            b"\x17\x03\x03\x00\x18" + sequences[i] +
            (int.from_bytes(counters[16 * i:16 * i + 16], "big") ^ high ^ self.low[i]).to_bytes(16, "big")
            for i in range(256))


class RecordsSession:
    """One connection of the "records" listener."""

    def __init__(self, conn, context, log):
        self.conn = conn
        self.tls = SSL.Connection(context, None)
        self.log = log
        self.account = None
        self.clear = b""     # received, not yet a line
        self.sent = b""      # sent records not yet counted whole
        self.sequence = None  # of the next record, once the server's ChangeCipherSpec is out

    def serve(self):
        self.conn.settimeout(30)
        self.conn.sendall(b"220 localhost (glFTPd 2.13a_OpenSSL_x64+TLS) ready.\r\n")
        while True:
            line = self.plain_line()
            self.log(self.account, line)
            if line.upper().startswith("AUTH TLS"):
                self.conn.sendall(b"234 AUTH TLS successful\r\n")
                break
            self.conn.sendall(b"530 Please login with USER and PASS.\r\n")
        self.tls.set_accept_state()
        while True:
            try:
                self.tls.do_handshake()
                break
            except SSL.WantReadError:
                self.flush()
                self.tls.bio_write(self.receive())
        self.flush()
        while True:
            line = self.tls_line()
            word, _, arg = line.partition(" ")
            word = word.upper()
            self.log(self.account, "PASS ****" if word == "PASS" else line)
            if word == "USER":
                self.account = arg
                self.answer("331 Password required for %s." % arg)
            elif word == "PASS":
                self.answer("230 User %s logged in." % self.account)
            elif word == "NOOP":
                self.answer(NOOP_REPLY)
            elif word == "SITE" and self.account == "slowrecords":
                self.answer_slowly(self.site_lines(arg))
            elif word == "SITE":
                self.stream_empty_records()
                return
            else:
                self.answer("500 '%s': command not understood." % line)

    def receive(self):
        data = self.conn.recv(65536)
        if not data:
            raise EOFError
        return data

    def plain_line(self):
        while b"\n" not in self.clear:
            self.clear += self.receive()
        line, _, self.clear = self.clear.partition(b"\n")
        return line.rstrip(b"\r").decode("latin-1")

    def tls_line(self):
        while b"\n" not in self.clear:
            try:
                self.clear += self.tls.recv(65536)
            except SSL.WantReadError:
                self.tls.bio_write(self.receive())
        line, _, self.clear = self.clear.partition(b"\n")
        return line.rstrip(b"\r").decode("latin-1")

    def answer(self, text):
        self.tls.send((text + "\r\n").encode("latin-1"))
        self.flush()

    @staticmethod
    def site_lines(arg):
        keyword, _, name = arg.partition(" ")
        if keyword.upper() == "USER" and name in ACCOUNT_SCREENS:
            return fixture(ACCOUNT_SCREENS[name])
        return ["500 'SITE %s': command not understood." % keyword]

    def answer_slowly(self, lines):
        """All lines in one record, its bytes one at a time."""
        self.tls.send("".join(line + "\r\n" for line in lines).encode("latin-1"))
        out = self.tls.bio_read(65536)
        self.count(out)
        for at in range(len(out)):
            self.conn.sendall(out[at:at + 1])
            time.sleep(SLOW_RECORD_SECONDS)

    def flush(self):
        out = b""
        while True:
            try:
                out += self.tls.bio_read(65536)
            except SSL.WantReadError:
                break
        self.count(out)
        self.conn.sendall(out)

    def count(self, out):
        self.sent += out
        while len(self.sent) >= 5:
            size = 5 + int.from_bytes(self.sent[3:5], "big")
            if len(self.sent) < size:
                break
            if self.sent[0] == 20:
                self.sequence = 0
            elif self.sequence is not None:
                self.sequence += 1
            self.sent = self.sent[size:]

    def stream_empty_records(self):
        block = p_sha256(self.tls.master_key(), b"key expansion" + self.tls.server_random() +
                         self.tls.client_random(), 40)
        key, salt = block[16:32], block[36:40]
        aead = AESGCM(key)

        def one_record():
            sequence = self.sequence.to_bytes(8, "big")
            self.sequence += 1
            sealed = aead.encrypt(salt + sequence, b"", sequence + b"\x17\x03\x03\x00\x00")
            return b"\x17\x03\x03" + (8 + len(sealed)).to_bytes(2, "big") + sequence + sealed

        # One at a time up to a batch boundary, then in batches, so that the
        # client always finds more waiting.
        while self.sequence % 256:
            self.conn.sendall(one_record())
        sealer = EmptyRecordSealer(key, salt)
        first = self.sequence
        record = one_record()
        if sealer.batch(first)[:len(record)] != record:
            raise AssertionError("the batch sealer does not seal as AES-GCM does")
        self.conn.sendall(record)
        while self.sequence % 256:
            self.conn.sendall(one_record())
        while True:
            self.conn.sendall(b"".join(sealer.batch(self.sequence + 256 * i) for i in range(16)))
            self.sequence += 16 * 256


def serve_records(listener, cert, key, log):
    context = tls_context(cert, key)
    context.set_max_proto_version(SSL.TLS1_2_VERSION)
    context.set_cipher_list(b"ECDHE-RSA-AES128-GCM-SHA256")

    def session(conn):
        try:
            conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            RecordsSession(conn, context, log).serve()
        except (OSError, EOFError, SSL.Error):
            pass
        finally:
            conn.close()

    while True:
        conn, _ = listener.accept()
        threading.Thread(target=session, args=(conn,), daemon=True).start()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--state-dir", required=True)
    parser.add_argument("--listing-users", type=int, default=20000)
    options = parser.parse_args()
    state_dir = os.path.abspath(options.state_dir)
    os.makedirs(state_dir, exist_ok=True)

    cert, key = make_certificate(state_dir)
    fingerprint = cert.digest("sha256").decode("ascii")
    listing = big_listing(options.listing_users)
    with open(os.path.join(state_dir, "big_listing.txt"), "w", encoding="latin-1") as out:
        out.write("".join(line + "\n" for line in listing))
    logging.basicConfig(filename=os.path.join(state_dir, "server.log"), level=logging.INFO)
    log = open(os.path.join(state_dir, "received.log"), "a", encoding="utf-8")
    log_lock = threading.Lock()

    class Received:
        """received.log, written from the ioloop and the records threads."""

        def write(self, text):
            with log_lock:
                log.write(text)

        def flush(self):
            with log_lock:
                log.flush()

    context = tls_context(cert, key)
    for handler in (GlftpdHandler, PlainHandler, ClientCertHandler):
        handler.ssl_context = context
        handler.received = Received()
        handler.listing = listing
    demanding = tls_context(cert, key)
    demanding.set_verify(SSL.VERIFY_PEER | SSL.VERIFY_FAIL_IF_NO_PEER_CERT, lambda *_: True)
    ClientCertHandler.ssl_context = demanding

    def log_records(account, line):
        Received().write("records %s %s\n" % (account or "-", line))
        Received().flush()

    records_listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    records_listener.bind(("127.0.0.1", 0))
    records_listener.listen(8)
    threading.Thread(target=serve_records, args=(records_listener, cert, key, log_records),
                     daemon=True).start()

    ioloop = IOLoop()
    servers = {name: FTPServer(("127.0.0.1", 0), handler, ioloop=ioloop)
               for name, handler in (("tls", GlftpdHandler), ("notls", PlainHandler),
                                     ("clientcert", ClientCertHandler))}
    info = {
        "tls_port": servers["tls"].address[1],
        "notls_port": servers["notls"].address[1],
        "clientcert_port": servers["clientcert"].address[1],
        "records_port": records_listener.getsockname()[1],
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
