#!/usr/bin/python3
"""Captures what a real glftpd 2.13 answers to SITE WHO, SITE SWHO, the top
lists, SITE KICK and SITE KILL, with sessions transferring slowly (one
uploading, one downloading), one over TLS and one in the clear, colour on
and off, one session and many. Writes one file per reply into OUT, the
lines as the server sent them without their line ends.

    glance_capture.py --port PORT --out DIR

The server must be a fresh stock site (glftpd.sh start).
"""

import argparse
import ftplib
import io
import os
import sys
import threading
import time

SITEOP = ("glftpd", "glftpd")
GROUPS = [("iso", "ISO release group"), ("mp3", "Music couriers")]
USERS = [("uploader", "iso"), ("downloader", "iso"), ("tlsuser", "mp3"), ("plainuser", "mp3"),
         ("idler", "iso"), ("courier_with_a_long_nam", "mp3"), ("eve", "mp3"), ("mallory", "iso")]
PASSWORD = "Secret12"


def connect(user, password, tls=True, protect=True):
    deadline = time.monotonic() + 15
    while True:
        try:
            ftp = ftplib.FTP_TLS() if tls else ftplib.FTP()
            ftp.connect("127.0.0.1", PORT, timeout=60)
            if tls:
                ftp.auth()
            ftp.login(user, password)
            if tls and protect:
                ftp.prot_p()
            return ftp
        except (OSError, EOFError, ftplib.Error) as error:
            if time.monotonic() > deadline:
                sys.exit("no login as %s: %s" % (user, error))
            time.sleep(0.3)


def raw(ftp, command):
    """The whole reply, every line as sent (code and all)."""
    ftp.putcmd(command)
    lines = []
    line = ftp.getline()
    lines.append(line)
    if line[3:4] == "-":
        code = line[:3]
        while True:
            line = ftp.getline()
            lines.append(line)
            if line[:3] == code and line[3:4] == " ":
                break
    return lines


def capture(ftp, command, name):
    lines = raw(ftp, command)
    with open(os.path.join(OUT, name + ".txt"), "w", encoding="latin-1", newline="\n") as out:
        for line in lines:
            out.write(line + "\n")
    print("%-40s %d lines" % (name, len(lines)))
    return lines


class SlowReader(io.RawIOBase):
    def __init__(self, size, delay, stop):
        self.left = size
        self.delay = delay
        self.stop = stop

    def readable(self):
        return True

    def read(self, n=-1):
        if self.left <= 0 or self.stop.is_set():
            return b""
        time.sleep(self.delay)
        n = min(8192 if n < 0 else n, 8192, self.left)
        self.left -= n
        return b"x" * n


def slow_upload(user, name, size, delay, stop, tls=True):
    ftp = connect(user, PASSWORD, tls=tls)
    try:
        ftp.storbinary("STOR " + name, SlowReader(size, delay, stop), blocksize=8192)
    except Exception as error:  # the session may be kicked
        print("upload of %s ended: %s" % (name, error))
    try:
        ftp.quit()
    except Exception:
        pass


def slow_download(user, name, delay, stop, tls=True):
    ftp = connect(user, PASSWORD, tls=tls)

    def take(block):
        if stop.is_set():
            raise EOFError("stopped")
        time.sleep(delay)
    try:
        ftp.retrbinary("RETR " + name, take, blocksize=4096)
    except Exception as error:
        print("download of %s ended: %s" % (name, error))
    try:
        ftp.close()
    except Exception:
        pass


def fast_upload(user, name, size, tls=True):
    ftp = connect(user, PASSWORD, tls=tls)
    ftp.storbinary("STOR " + name, io.BytesIO(b"y" * size))
    ftp.quit()


def fast_download(user, name, tls=True):
    ftp = connect(user, PASSWORD, tls=tls)
    ftp.retrbinary("RETR " + name, lambda block: None)
    ftp.quit()


TOPS = ["WKUP", "WKDN", "MONTHUP", "MONTHDN", "DAYUP", "DAYDN", "ALUP", "ALDN",
        "GPWK", "GPWD", "GPMONTHUP", "GPMONTHDN", "GPDAYUP", "GPDAYDN", "GPAL", "GPAD"]


def main():
    global PORT, OUT
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--out", required=True)
    options = parser.parse_args()
    PORT = options.port
    OUT = options.out
    os.makedirs(OUT, exist_ok=True)

    op = connect(*SITEOP)
    print(raw(op, "SITE CHANGE glftpd flags +ABCDEFGH"))
    op.quit()
    op = connect(*SITEOP)
    # One session: the operator's own.
    capture(op, "SITE WHO", "site-who-alone")
    capture(op, "SITE SWHO", "site-swho-alone")
    for top in TOPS:
        capture(op, "SITE %s" % top, "site-%s-empty" % top.lower())
    capture(op, "SITE ALLUP", "site-allup-unknown")
    for group, text in GROUPS:
        print(raw(op, "SITE GRPADD %s %s" % (group, text)))
    for user, group in USERS:
        print(raw(op, "SITE GADDUSER %s %s %s *@127.0.0.1" % (group, user, PASSWORD)))
    print(raw(op, "SITE CHANGE downloader ratio 0"))
    print(raw(op, "SITE CHANGE plainuser ratio 0"))
    print(raw(op, "SITE CHANGE tlsuser tagline Fast courier at your service"))

    # Transfers for the top lists: each user moves a different amount.
    amounts = {"uploader": 9, "tlsuser": 6, "courier_with_a_long_nam": 4, "eve": 2, "mallory": 1}
    for user, megabytes in amounts.items():
        fast_upload(user, "%s-release.bin" % user, megabytes * 1024 * 1024)
    fast_download("downloader", "uploader-release.bin")
    fast_download("plainuser", "tlsuser-release.bin", tls=False)
    fast_download("downloader", "eve-release.bin")

    # Sessions that stay: an idler over TLS, one in the clear, a slow upload
    # and a slow download.
    stop = threading.Event()
    idler = connect("idler", PASSWORD)
    plain = connect("plainuser", PASSWORD, tls=False)
    threads = [
        threading.Thread(target=slow_upload, args=("uploader", "slow-upload.bin", 64 * 1024 * 1024, 0.08, stop)),
        threading.Thread(target=slow_download, args=("downloader", "uploader-release.bin", 0.05, stop)),
        threading.Thread(target=slow_download, args=("tlsuser", "eve-release.bin", 0.1, stop)),
    ]
    for thread in threads:
        thread.start()
    time.sleep(4)
    raw(plain, "NOOP")
    capture(op, "SITE WHO", "site-who-transfers")
    capture(op, "SITE SWHO", "site-swho-transfers")
    time.sleep(2)
    capture(op, "SITE WHO", "site-who-transfers-later")
    capture(op, "SITE SWHO", "site-swho-transfers-later")
    # What a user without SWHO access gets, and WHO as that user.
    capture(plain, "SITE SWHO", "site-swho-refused")
    capture(plain, "SITE WHO", "site-who-plainuser")

    # Colour on (flag 5) for the operator.
    print(raw(op, "SITE CHANGE glftpd flags +5"))
    op.quit()
    op = connect(*SITEOP)
    capture(op, "SITE WHO", "site-who-transfers-colour")
    capture(op, "SITE SWHO", "site-swho-transfers-colour")
    for top in ["WKUP", "ALDN", "GPWK", "DAYUP"]:
        capture(op, "SITE %s" % top, "site-%s-colour" % top.lower())
    print(raw(op, "SITE CHANGE glftpd flags -5"))
    op.quit()
    op = connect(*SITEOP)

    # Many sessions: every account's two logins.
    many = []
    for user, _ in USERS:
        for _ in range(2):
            try:
                ftp = ftplib.FTP_TLS() if len(many) % 2 == 0 else ftplib.FTP()
                ftp.connect("127.0.0.1", PORT, timeout=20)
                if isinstance(ftp, ftplib.FTP_TLS):
                    ftp.auth()
                ftp.login(user, PASSWORD)
                many.append(ftp)
            except (OSError, EOFError, ftplib.Error) as error:
                print("login of %s refused: %s" % (user, error))
    time.sleep(1)
    capture(op, "SITE WHO", "site-who-many")
    capture(op, "SITE SWHO", "site-swho-many")
    for ftp in many:
        try:
            ftp.quit()
        except Exception:
            pass
    stop.set()
    for thread in threads:
        thread.join(30)

    # The top lists after the transfers, with and without a count.
    time.sleep(1)
    for top in TOPS:
        capture(op, "SITE %s" % top, "site-%s" % top.lower())
    capture(op, "SITE WKUP 3", "site-wkup-3")
    capture(op, "SITE ALUP 100", "site-alup-100")
    capture(op, "SITE GPAL 2", "site-gpal-2")
    capture(op, "SITE WKUP abc", "site-wkup-abc")

    # Kick and kill.
    victim = connect("eve", PASSWORD)
    swho = capture(op, "SITE SWHO", "site-swho-before-kill")
    pid = None
    for line in swho:
        cells = [cell.strip() for cell in line[4:].split("|")]
        if len(cells) > 3 and cells[2] == "eve":
            pid = cells[1]
    capture(op, "SITE KILL %s" % pid, "site-kill-eve")
    time.sleep(0.5)
    # The lone line glftpd sends after a KILL's reply comes before NOOP's.
    print("after kill:", raw(op, "NOOP"), raw(op, "NOOP"))
    capture(op, "SITE KILL 99999", "site-kill-invalid")
    print("after kill:", raw(op, "NOOP"), raw(op, "NOOP"))
    capture(op, "SITE SWHO", "site-swho-after-kill")
    victim2 = connect("mallory", PASSWORD)
    capture(op, "SITE KICK mallory", "site-kick-mallory")
    time.sleep(0.5)
    print("after kick:", raw(op, "NOOP"), raw(op, "NOOP"))
    capture(op, "SITE SWHO", "site-swho-after-kick")
    capture(op, "SITE KICK nobody", "site-kick-nobody")
    capture(op, "SITE KICK", "site-kick-noargs")
    capture(op, "SITE KILL", "site-kill-noargs")
    capture(op, "SITE KICK glftpd", "site-kick-self")
    for ftp in (victim, victim2, idler, plain):
        try:
            ftp.close()
        except Exception:
            pass
    try:
        op.quit()
    except Exception:
        pass


if __name__ == "__main__":
    main()
