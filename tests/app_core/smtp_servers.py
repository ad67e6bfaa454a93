"""SMTP servers for the mail tests, on a loopback port.

usage: smtp_servers.py MODE OUTFILE
Prints "PORT <n>" once it listens and runs until stdin is closed.
MODE:
  aiosmtpd        a real SMTP server (aiosmtpd); every message is appended
                  to OUTFILE as one JSON line {mail_from, rcpt_tos, data}
  aiosmtpd-auth   the same, requiring AUTH LOGIN as user "alert" with
                  password "s3cret!" (no TLS)
  greet421        greets with 421 and closes
  auth535         EHLO ok, AUTH LOGIN walks through, the password gets 535
  mail530         HELO ok, MAIL FROM gets 530
  rcpt550         refuses the second RCPT TO with 550; OUTFILE gets every
                  command line received
  silent          accepts the connection and never answers
  close           accepts the connection and closes it at once
  drip            hands out a greeting one byte a second, never ending it
"""
import json
import socket
import sys
import threading
import time


def wait_for_stdin_close():
    try:
        sys.stdin.read()
    except Exception:
        pass


def run_aiosmtpd(outfile, auth):
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult

    class Handler:
        async def handle_DATA(self, server, session, envelope):
            with open(outfile, "a", encoding="utf-8") as f:
                f.write(json.dumps({
                    "mail_from": envelope.mail_from,
                    "rcpt_tos": envelope.rcpt_tos,
                    "data": envelope.original_content.decode("utf-8", "replace"),
                }) + "\n")
            return "250 Message accepted for delivery"

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (mechanism == "LOGIN" and auth_data.login == b"alert"
              and auth_data.password == b"s3cret!")
        return AuthResult(success=ok, handled=False)

    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    kwargs = {}
    if auth:
        kwargs = dict(authenticator=authenticator, auth_require_tls=False,
                      auth_required=True)
    controller = Controller(Handler(), hostname="127.0.0.1", port=port, **kwargs)
    controller.start()
    print("PORT %d" % port, flush=True)
    wait_for_stdin_close()
    controller.stop()


def scripted(mode, outfile):
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    print("PORT %d" % listener.getsockname()[1], flush=True)

    def serve():
        while True:
            conn, _ = listener.accept()
            threading.Thread(target=session, args=(conn,), daemon=True).start()

    def session(conn):
        f = conn.makefile("rwb", buffering=0)
        log = open(outfile, "a", encoding="utf-8") if outfile else None

        def say(line):
            f.write(line.encode() + b"\r\n")

        if mode == "close":
            conn.close()
            return
        if mode == "drip":
            try:
                for byte in b"220 slowly" + b"." * 30:
                    conn.sendall(bytes([byte]))
                    time.sleep(1)
            except OSError:
                pass
            conn.close()
            return
        if mode == "silent":
            conn.recv(1)  # hold the connection open, say nothing
            return
        if mode == "greet421":
            say("421 Service not available, closing")
            conn.close()
            return
        say("220 scripted ready")
        rcpt = 0
        in_data = False
        for raw in f:
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            if log:
                log.write(line + "\n")
                log.flush()
            if in_data:
                if line == ".":
                    in_data = False
                    say("250 ok")
                continue
            cmd = line.upper()
            if cmd.startswith("EHLO") or cmd.startswith("HELO"):
                say("250 hello")
            elif cmd == "AUTH LOGIN":
                say("334 VXNlcm5hbWU6")
                f.readline()
                say("334 UGFzc3dvcmQ6")
                f.readline()
                say("535 Authentication credentials invalid" if mode == "auth535"
                    else "235 ok")
            elif cmd.startswith("MAIL FROM"):
                say("530 Access denied" if mode == "mail530" else "250 ok")
            elif cmd.startswith("RCPT TO"):
                rcpt += 1
                say("550 No such user" if mode == "rcpt550" and rcpt == 2 else "250 ok")
            elif cmd == "DATA":
                in_data = True
                say("354 go ahead")
            elif cmd == "QUIT":
                say("221 bye")
                conn.close()
                return
            else:
                say("500 what")

    threading.Thread(target=serve, daemon=True).start()
    wait_for_stdin_close()


def main():
    mode = sys.argv[1]
    outfile = sys.argv[2] if len(sys.argv) > 2 else ""
    if mode in ("aiosmtpd", "aiosmtpd-auth"):
        run_aiosmtpd(outfile, mode == "aiosmtpd-auth")
    else:
        scripted(mode, outfile)


if __name__ == "__main__":
    main()
