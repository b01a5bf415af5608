#!/usr/bin/python3
"""Loopback SMTP server for the mail tests.

Accepts AUTH LOGIN/PLAIN with one fixed account, records every accepted
message as NNNN.eml (raw) and NNNN.json (decoded with Python's own e-mail
parser, so the tests do not check our MIME writer with our own reader), and
appends one line per login attempt to auth.log. Prints "PORT <n>" once it
listens on 127.0.0.1 (port 0 = any free port) and runs until stdin closes.
"""
import argparse
import asyncio
import base64
import email
import email.policy
import json
import os
import ssl
import sys
import threading

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--dir", required=True)
    p.add_argument("--user", default="biuro")
    p.add_argument("--password", default="tajne")
    p.add_argument("--logins-allowed", type=int, default=-1,
                   help="refuse every login after this many good ones (-1 = no limit)")
    p.add_argument("--refuse-rcpt", action="append", default=[])
    p.add_argument("--refuse-data-to", action="append", default=[])
    p.add_argument("--no-auth", action="store_true", help="do not offer AUTH at all, not even over TLS")
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--starttls", action="store_true", help="offer STARTTLS (AUTH offered before it too)")
    p.add_argument("--implicit-tls", action="store_true", help="TLS from the first byte")
    return p.parse_args()


class Recorder:
    def __init__(self, args):
        self.args = args
        self.count = 0
        self.good_logins = 0

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        # Every greeting is noted, so a test can tell the client never spoke.
        session.host_name = hostname
        tls = server.transport.get_extra_info("ssl_object") is not None
        with open(os.path.join(self.args.dir, "commands.log"), "a", encoding="utf-8") as f:
            f.write(f"EHLO {hostname} tls={int(tls)}\n")
        if self.args.no_auth:
            responses = [r for r in responses if not r.startswith("250-AUTH")]
        return responses

    def log_auth(self, line):
        with open(os.path.join(self.args.dir, "auth.log"), "a", encoding="utf-8") as f:
            f.write(line + "\n")

    def authenticator(self, server, session, envelope, mechanism, auth_data):
        tls = server.transport.get_extra_info("ssl_object") is not None
        ok = isinstance(auth_data, LoginPassword) \
            and auth_data.login.decode() == self.args.user \
            and auth_data.password.decode() == self.args.password
        if ok and 0 <= self.args.logins_allowed <= self.good_logins:
            ok = False
        if ok:
            self.good_logins += 1
        user = auth_data.login.decode() if isinstance(auth_data, LoginPassword) else ""
        self.log_auth(f"{'ok' if ok else 'refused'} {mechanism} {user} tls={int(tls)}")
        session.orlix_tls = tls
        return AuthResult(success=ok, handled=False)

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.args.refuse_rcpt:
            return "550 5.1.1 Recipient refused"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if any(r in self.args.refuse_data_to for r in envelope.rcpt_tos):
            return "554 5.6.0 Message refused"
        self.count += 1
        base = os.path.join(self.args.dir, "%04d" % self.count)
        raw = envelope.original_content or envelope.content
        with open(base + ".eml", "wb") as f:
            f.write(raw)
        msg = email.message_from_bytes(raw, policy=email.policy.default)
        parts = []
        for part in msg.walk():
            if part.is_multipart():
                continue
            disp = part.get("Content-Disposition")
            filename = None
            if disp is not None:
                filename = part["Content-Disposition"].params.get("filename")
            payload = part.get_payload(decode=True) or b""
            parts.append({
                "content_type": part.get_content_type(),
                "charset": part.get_content_charset(),
                "filename": filename,
                "name": part["Content-Type"].params.get("name") if part["Content-Type"] else None,
                "data_b64": base64.b64encode(payload).decode(),
                "text": part.get_content() if part.get_content_maintype() == "text" else None,
            })
        info = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "auth_tls": getattr(session, "orlix_tls", None),
            "authenticated": bool(session.authenticated),
            "content_type": msg.get_content_type(),
            "headers": {k: str(v) for k, v in msg.items()},
            "subject": str(msg["Subject"]),
            "parts": parts,
        }
        with open(base + ".json", "w", encoding="utf-8") as f:
            json.dump(info, f, ensure_ascii=False, indent=1)
        return "250 Message accepted"


def make_context(args):
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(args.cert, args.key)
    return ctx


async def main():
    args = parse_args()
    os.makedirs(args.dir, exist_ok=True)
    rec = Recorder(args)
    ctx = make_context(args) if (args.starttls or args.implicit_tls) else None

    def factory():
        kw = dict(hostname="smtp.test", auth_require_tls=False)
        if not args.no_auth:
            kw["authenticator"] = rec.authenticator
        if args.starttls:
            kw["tls_context"] = ctx
        return SMTP(rec, **kw)

    loop = asyncio.get_running_loop()
    server = await loop.create_server(factory, host="127.0.0.1", port=0,
                                      ssl=ctx if args.implicit_tls else None)
    port = server.sockets[0].getsockname()[1]
    print("PORT %d" % port, flush=True)

    stop = asyncio.Event()

    def watch_stdin():
        sys.stdin.read()
        loop.call_soon_threadsafe(stop.set)

    threading.Thread(target=watch_stdin, daemon=True).start()
    await stop.wait()
    server.close()


if __name__ == "__main__":
    asyncio.run(main())
