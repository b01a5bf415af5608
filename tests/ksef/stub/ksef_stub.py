#!/usr/bin/env python3
"""Local stand-in of the KSeF 2.0 REST API for the client's tests.

Listens on 127.0.0.1 on a free port and prints "PORT <n>" as its first line; it ends
when its standard input closes. All state lives in memory. It speaks the documented
API under /v2 (authentication with a XAdES-signed AuthTokenRequest, public keys,
online and batch sessions with AES-256-CBC encrypted invoices, statuses, UPO,
download, metadata query, export) and checks what a client sends as KSeF would: the
signature and the certificate (issued by the test CA), the challenge, the tokens,
hashes and sizes before and after decryption, the FA(3) schema of every invoice.

Test control (no authentication):
  POST /_stub/config  {"challengeTtl": s, "accessTtl": s, "authPendingPolls": n,
                       "exportPendingPolls": n, "exportPartSize": bytes,
                       "permittedNips": [nip, ...]   contexts every signer may act in,
                       "invoicePendingPolls": n      status questions answered 150 per invoice,
                       "sessionPendingPolls": n      a closed batch session answers 150 n times,
                       "sendLimit": n, "sendBlockSeconds": s   the (n+1)th single send gets 429
                                                     with Retry-After s, as do sends during the block,
                       "shuffleUploads": true        upload addresses listed out of order,
                       "warning": "text"}            X-System-Warning on every API answer
  POST /_stub/fault   {"match": "/path part", "method": "GET", "count": 1, "skip": 0,
                       "status": 429, "retryAfter": 1, "body": "...", "contentType": "...",
                       "drop": true, "truncate": true}
  POST /_stub/seed    FA(3) XML of an invoice issued by someone else -> {"ksefNumber", "ksefNumbers"};
                      ?count=n stores n copies numbered "<P_2>/1".."<P_2>/n" (pages of received invoices)
  GET  /_stub/stats   request counts per "METHOD /path"
"""
import argparse
import base64
import datetime as dt
import json
import os
import re
import secrets
import socket
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import xmlsec
from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec, padding
from lxml import etree

from stub_common import (AUTH_NS_20, AUTH_NS_21, DS_NS, SAFE_PARSER, XADES_NS, ApiError, State, b64, iso, local,
                         now, reference, sha_b64, text)
from stub_invoices import InvoiceRoutes
from stub_sessions import SessionRoutes


class Handler(SessionRoutes, InvoiceRoutes, BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KsefStub/1.0"

    def log_message(self, fmt, *args):
        pass

    def end_headers(self):
        warning = self.st.config.get("warning")
        if warning and self.path.startswith("/v2/"):
            self.send_header("X-System-Warning", warning)
        super().end_headers()

    # ------------------------------------------------------------ plumbing
    @property
    def st(self):
        return self.server.state

    def do_GET(self):
        self.dispatch("GET")

    def do_POST(self):
        self.dispatch("POST")

    def do_PUT(self):
        self.dispatch("PUT")

    def do_DELETE(self):
        self.dispatch("DELETE")

    def dispatch(self, method):
        length = int(self.headers.get("Content-Length") or 0)
        self.body = self.rfile.read(length) if length else b""
        parsed = urllib.parse.urlsplit(self.path)
        self.query = dict(urllib.parse.parse_qsl(parsed.query))
        path = parsed.path
        with self.st.lock:
            key = "%s %s" % (method, re.sub(r"/\d{8}-[A-Z0-9]{2}-[0-9A-F-]+", "/{ref}", path))
            self.st.stats[key] = self.st.stats.get(key, 0) + 1
            fault = self.take_fault(method, path)
        if fault is not None:
            return self.apply_fault(fault)
        try:
            with self.st.lock:
                self.route(method, path)
        except ApiError as e:
            self.send_error_answer(e)
        except Exception as e:  # a bug of the stub must still answer, loudly
            self.send_json(500, {"title": "Stub failure", "status": 500, "detail": repr(e)},
                           "application/problem+json")

    def take_fault(self, method, path):
        for f in self.st.faults:
            if f["match"] in path and f.get("method", method) == method and f["count"] > 0:
                if f.get("skip", 0) > 0:  # let the first matching requests through
                    f["skip"] -= 1
                    continue
                f["count"] -= 1
                return f
        return None

    def apply_fault(self, f):
        if f.get("drop"):
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            return
        body = f.get("body", "").encode()
        self.send_response(f.get("status", 500))
        self.send_header("Content-Type", f.get("contentType", "application/json"))
        if "retryAfter" in f:
            self.send_header("Retry-After", str(f["retryAfter"]))
        if f.get("truncate"):
            self.send_header("Content-Length", str(len(body) + 1000))
            self.end_headers()
            self.wfile.write(body)
            self.wfile.flush()
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_bytes(self, status, data, ctype, extra=None):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        for k, v in (extra or {}).items():
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def send_json(self, status, obj, ctype="application/json"):
        self.send_bytes(status, json.dumps(obj, ensure_ascii=False).encode(), ctype)

    def send_empty(self, status=204):
        self.send_response(status)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def send_error_answer(self, e):
        if e.http in (401, 403):
            return self.send_json(e.http, {"title": "Unauthorized" if e.http == 401 else "Forbidden",
                                           "status": e.http, "detail": e.description,
                                           "instance": self.path}, "application/problem+json")
        if self.headers.get("X-Error-Format") == "problem-details" and e.http == 400:
            return self.send_json(400, {"title": "Bad Request", "status": 400, "instance": self.path,
                                        "detail": e.description, "timestamp": iso(now()),
                                        "traceId": secrets.token_hex(8),
                                        "errors": [{"code": e.code, "description": e.description,
                                                    "details": e.details}]}, "application/problem+json")
        self.send_json(e.http, {"exception": {"exceptionDetailList": [
            {"exceptionCode": e.code, "exceptionDescription": e.description, "details": e.details}],
            "referenceNumber": None, "serviceCode": secrets.token_hex(8), "timestamp": iso(now())}})

    def json_body(self):
        try:
            obj = json.loads(self.body.decode("utf-8"))
            if not isinstance(obj, dict):
                raise ValueError("not an object")
            return obj
        except (ValueError, UnicodeDecodeError) as e:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Nieczytelny JSON: %s" % e])

    def bearer(self, kind):
        auth = self.headers.get("Authorization", "")
        token = auth[7:] if auth.startswith("Bearer ") else ""
        info = self.st.tokens.get(token)
        if not info or info["kind"] != kind or info.get("revoked"):
            raise ApiError(401, 0, "Brak lub nieprawidłowy token (%s)." % kind)
        if info["expires"] < now():
            raise ApiError(401, 0, "Token wygasł.")
        return info

    def new_token(self, kind, op, ttl):
        token = secrets.token_urlsafe(32)
        info = {"kind": kind, "op": op, "expires": now() + dt.timedelta(seconds=ttl)}
        self.st.tokens[token] = info
        return token, info

    # ------------------------------------------------------------ routes
    def route(self, method, path):
        if path.startswith("/_stub/"):
            return self.control(method, path)
        m = re.fullmatch(r"/blob/([^/]+)/(\d+)", path)
        if m and method == "PUT":
            return self.upload_part(m.group(1), int(m.group(2)))
        m = re.fullmatch(r"/export/([^/]+)/(\d+)", path)
        if m and method == "GET":
            return self.export_part(m.group(1), int(m.group(2)))
        if not path.startswith("/v2/"):
            raise ApiError(404, 0, "Nie ma takiego zasobu.")
        p = path[3:]
        routes = [
            ("POST", r"/auth/challenge", self.challenge),
            ("POST", r"/auth/xades-signature", self.xades_signature),
            ("POST", r"/auth/token/redeem", self.redeem),
            ("POST", r"/auth/token/refresh", self.refresh),
            ("DELETE", r"/auth/sessions/current", self.end_session),
            ("GET", r"/auth/([^/]+)", self.auth_status),
            ("GET", r"/security/public-key-certificates", self.public_keys),
            ("POST", r"/sessions/online", self.open_online),
            ("POST", r"/sessions/online/([^/]+)/invoices", self.send_invoice),
            ("POST", r"/sessions/online/([^/]+)/close", self.close_online),
            ("POST", r"/sessions/batch", self.open_batch),
            ("POST", r"/sessions/batch/([^/]+)/close", self.close_batch),
            ("GET", r"/sessions/([^/]+)", self.session_status),
            ("GET", r"/sessions/([^/]+)/invoices", self.session_invoices),
            ("GET", r"/sessions/([^/]+)/invoices/([^/]+)", self.invoice_status),
            ("GET", r"/sessions/([^/]+)/invoices/([^/]+)/upo", self.invoice_upo),
            ("GET", r"/invoices/ksef/([^/]+)", self.download_invoice),
            ("POST", r"/invoices/query/metadata", self.query_metadata),
            ("POST", r"/invoices/exports", self.start_export),
            ("GET", r"/invoices/exports/([^/]+)", self.export_status),
        ]
        for meth, pattern, fn in routes:
            m = re.fullmatch(pattern, p)
            if m and meth == method:
                return fn(*[urllib.parse.unquote(g) for g in m.groups()])
        raise ApiError(404, 0, "Nie ma takiego zasobu: %s %s" % (method, path))

    def control(self, method, path):
        st = self.st
        if path == "/_stub/config" and method == "POST":
            st.config.update(self.json_body())
            return self.send_json(200, st.config)
        if path == "/_stub/fault" and method == "POST":
            f = self.json_body()
            f.setdefault("count", 1)
            st.faults.append(f)
            return self.send_json(200, f)
        if path == "/_stub/stats" and method == "GET":
            return self.send_json(200, st.stats)
        if path == "/_stub/seed" and method == "POST":
            numbers = []
            for xml in self.seed_copies(self.body, int(self.query.get("count", 1))):
                inv = self.store_invoice(xml, None, 0, "", False, None)
                if inv["status"]["code"] != 200:
                    raise ApiError(400, 21405, inv["status"]["description"], inv["status"]["details"])
                numbers.append(inv["ksefNumber"])
            return self.send_json(200, {"ksefNumber": numbers[0], "ksefNumbers": numbers})
        raise ApiError(404, 0, "Nieznane polecenie stanowiska.")

    @staticmethod
    def seed_copies(xml, count):
        """The invoice as it is, or count copies numbered "<P_2>/1", "<P_2>/2"..."""
        if count <= 1:
            return [xml]
        m = re.search(rb"<P_2>([^<]*)</P_2>", xml)
        if m is None:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Brak P_2"])
        return [xml[:m.start(1)] + m.group(1) + b"/%d" % (i + 1) + xml[m.end(1):] for i in range(count)]

    # ------------------------------------------------------------ authentication
    def challenge(self):
        c = reference("CR")
        t = now()
        self.st.challenges[c] = {"issued": t, "used": False}
        self.send_json(200, {"challenge": c, "timestamp": iso(t), "timestampMs": int(t.timestamp() * 1000),
                             "clientIp": self.client_address[0]})

    def xades_signature(self):
        st = self.st
        try:
            root = etree.fromstring(self.body, SAFE_PARSER)
        except etree.XMLSyntaxError as e:
            raise ApiError(400, 21001, "Nieczytelna treść.", [str(e)])
        if etree.QName(root).namespace not in (AUTH_NS_21, AUTH_NS_20) or local(root) != "AuthTokenRequest":
            raise ApiError(400, 21401, "Dokument nie jest zgodny ze schemą (xsd).", ["Oczekiwano AuthTokenRequest"])
        signatures = root.findall(".//{%s}Signature" % DS_NS)
        if not signatures:
            raise ApiError(400, 9102, "Brak podpisu.")
        if len(signatures) > 1:
            raise ApiError(400, 9103, "Przekroczona liczba dozwolonych podpisów.")
        sig = signatures[0]
        # The schema knows no signature: check the request without it.
        bare = etree.fromstring(etree.tostring(root), SAFE_PARSER)
        for s in bare.findall(".//{%s}Signature" % DS_NS):
            s.getparent().remove(s)
        if etree.QName(root).namespace == AUTH_NS_21 and not st.auth_schema.validate(bare):
            raise ApiError(400, 21401, "Dokument nie jest zgodny ze schemą (xsd).",
                           [str(e.message) for e in st.auth_schema.error_log][:3])
        cert_el = sig.find(".//{%s}X509Certificate" % DS_NS)
        if cert_el is None:
            raise ApiError(400, 21115, "Nieprawidłowy certyfikat.", ["Brak certyfikatu w KeyInfo"])
        der = base64.b64decode("".join(cert_el.text.split()))
        cert = x509.load_der_x509_certificate(der)
        self.check_trusted(cert)
        # The signature must cover the whole document and the XAdES signed properties.
        refs = sig.findall("{%s}SignedInfo/{%s}Reference" % (DS_NS, DS_NS))
        whole = [r for r in refs if r.get("URI") == "" and any(
            t.get("Algorithm") == "http://www.w3.org/2000/09/xmldsig#enveloped-signature"
            for t in r.iter("{%s}Transform" % DS_NS))]
        props = [r for r in refs if r.get("Type") == "http://uri.etsi.org/01903#SignedProperties"]
        if not whole or not props:
            raise ApiError(400, 9105, "Nieprawidłowy podpis.", ["Podpis nie obejmuje dokumentu i SignedProperties"])
        xmlsec.tree.add_ids(root, ["Id"])
        ctx = xmlsec.SignatureContext()
        ctx.key = xmlsec.Key.from_memory(cert.public_bytes(serialization.Encoding.PEM),
                                         xmlsec.constants.KeyDataFormatCertPem)
        try:
            ctx.verify(sig)
        except xmlsec.Error as e:
            raise ApiError(400, 9105, "Nieprawidłowy podpis.", ["Weryfikacja podpisu nie powiodła się: %s" % e])
        digest = sig.find(".//{%s}SigningCertificate/{%s}Cert/{%s}CertDigest/{%s}DigestValue"
                          % (XADES_NS, XADES_NS, XADES_NS, DS_NS))
        if digest is None or digest.text.strip() != sha_b64(der):
            raise ApiError(400, 9105, "Nieprawidłowy podpis.", ["Skrót certyfikatu w SignedProperties nie pasuje"])

        challenge = text(root, "Challenge")
        c = st.challenges.get(challenge)
        if c is None:
            raise ApiError(400, 21111, "Nieprawidłowe wyzwanie autoryzacyjne.", ["Nieznane wyzwanie"])
        if c["used"]:
            raise ApiError(400, 21111, "Nieprawidłowe wyzwanie autoryzacyjne.", ["Wyzwanie zostało już użyte"])
        if (now() - c["issued"]).total_seconds() > st.config["challengeTtl"]:
            raise ApiError(400, 21111, "Nieprawidłowe wyzwanie autoryzacyjne.", ["Wyzwanie wygasło"])
        c["used"] = True
        nip = text(root, "ContextIdentifier/Nip")
        if not nip:
            raise ApiError(400, 21117, "Nieprawidłowy identyfikator podmiotu dla wskazanego typu kontekstu.")
        subject = " ".join(a.value for a in cert.subject)
        if nip in subject or nip in self.st.config.get("permittedNips", []):
            status = {"code": 200, "description": "Uwierzytelnianie zakończone sukcesem"}
        else:
            status = {"code": 415, "description": "Uwierzytelnianie zakończone niepowodzeniem z powodu braku "
                                                  "nadania uprawnień",
                      "details": ["Podmiot certyfikatu nie ma uprawnień w kontekście %s" % nip]}
        ref = reference("AU")
        token, info = self.new_token("auth", ref, 900)
        st.auth_ops[ref] = {"nip": nip, "status": status, "redeemed": False, "polls": 0, "start": now(),
                            "docHash": sha_b64(self.body)}
        self.send_json(202, {"referenceNumber": ref,
                             "authenticationToken": {"token": token, "validUntil": iso(info["expires"])}})

    def check_trusted(self, cert):
        ca = self.st.ca
        try:
            if cert.issuer != ca.subject:
                raise ValueError("inny wystawca")
            key = ca.public_key()
            if isinstance(key, ec.EllipticCurvePublicKey):
                key.verify(cert.signature, cert.tbs_certificate_bytes, ec.ECDSA(cert.signature_hash_algorithm))
            else:
                key.verify(cert.signature, cert.tbs_certificate_bytes, padding.PKCS1v15(),
                           cert.signature_hash_algorithm)
        except Exception as e:
            raise ApiError(400, 21115, "Nieprawidłowy certyfikat.",
                           ["Certyfikat nie pochodzi od zaufanego wystawcy (%s)" % e])
        t = now()
        if not (cert.not_valid_before.replace(tzinfo=dt.timezone.utc) <= t <=
                cert.not_valid_after.replace(tzinfo=dt.timezone.utc)):
            raise ApiError(400, 21115, "Nieprawidłowy certyfikat.", ["Certyfikat nieważny"])

    def auth_status(self, ref):
        info = self.bearer("auth")
        op = self.st.auth_ops.get(ref)
        if op is None or info["op"] != ref:
            raise ApiError(400, 21304, "Brak uwierzytelnienia.", ["Nie znaleziono operacji %s" % ref])
        op["polls"] += 1
        status = op["status"]
        if op["polls"] <= self.st.config["authPendingPolls"]:
            status = {"code": 100, "description": "Uwierzytelnianie w toku"}
        self.send_json(200, {"startDate": iso(op["start"]), "authenticationMethod": "QualifiedSeal",
                             "status": status})

    def redeem(self):
        info = self.bearer("auth")
        op = self.st.auth_ops[info["op"]]
        if op["polls"] <= self.st.config["authPendingPolls"]:
            raise ApiError(400, 21301, "Brak autoryzacji.", ["Uwierzytelnianie w toku"])
        if op["redeemed"]:
            raise ApiError(400, 21301, "Brak autoryzacji.", ["Tokeny zostały już pobrane"])
        if op["status"]["code"] != 200:
            raise ApiError(400, 21301, "Brak autoryzacji.",
                           ["Uwierzytelnianie zakończone niepowodzeniem: %s (%d)"
                            % (op["status"]["description"], op["status"]["code"])])
        op["redeemed"] = True
        access, ai = self.new_token("access", info["op"], self.st.config["accessTtl"])
        refresh, ri = self.new_token("refresh", info["op"], 7 * 86400)
        self.send_json(200, {"accessToken": {"token": access, "validUntil": iso(ai["expires"])},
                             "refreshToken": {"token": refresh, "validUntil": iso(ri["expires"])}})

    def refresh(self):
        info = self.bearer("refresh")
        access, ai = self.new_token("access", info["op"], self.st.config["accessTtl"])
        self.send_json(200, {"accessToken": {"token": access, "validUntil": iso(ai["expires"])}})

    def end_session(self):
        info = self.bearer("access")
        for t in self.st.tokens.values():
            if t["op"] == info["op"] and t["kind"] == "refresh":
                t["revoked"] = True
        self.send_empty(204)

    def context(self):
        info = self.bearer("access")
        return self.st.auth_ops[info["op"]]

    def public_keys(self):
        st = self.st
        der = st.mf_cert.public_bytes(serialization.Encoding.DER)
        entry = {"certificate": b64(der), "certificateId": sha_b64(der), "publicKeyId": st.mf_key_id,
                 "validFrom": iso(st.mf_cert.not_valid_before.replace(tzinfo=dt.timezone.utc)),
                 "validTo": iso(st.mf_cert.not_valid_after.replace(tzinfo=dt.timezone.utc))}
        self.send_json(200, [dict(entry, usage=["SymmetricKeyEncryption"]), dict(entry, usage=["KsefTokenEncryption"])])

    def unwrap_key(self, enc):
        st = self.st
        if not isinstance(enc, dict):
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Brak encryption"])
        if enc.get("publicKeyId") not in (None, st.mf_key_id):
            raise ApiError(400, 21470, "Nieznany lub wycofany klucz publiczny.", [str(enc.get("publicKeyId"))])
        try:
            key = st.mf_key.decrypt(base64.b64decode(enc["encryptedSymmetricKey"]), padding.OAEP(
                mgf=padding.MGF1(hashes.SHA256()), algorithm=hashes.SHA256(), label=None))
            iv = base64.b64decode(enc["initializationVector"])
        except Exception as e:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.",
                           ["Nie można odszyfrować klucza symetrycznego: %r" % e])
        if len(key) != 32 or len(iv) != 16:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Zła długość klucza lub IV"])
        return key, iv

    @staticmethod
    def check_form(body):
        fc = body.get("formCode") or {}
        if (fc.get("systemCode"), fc.get("schemaVersion"), fc.get("value")) != ("FA (3)", "1-0E", "FA"):
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Nieobsługiwany formCode: %s" % fc])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--ca", required=True, help="PEM certificate of the CA whose certificates may sign")
    ap.add_argument("--schemas", required=True, help="folder holding KSEF_AUTH/ and FA3/local/")
    args = ap.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.state = State(args)
    print("PORT %d" % server.server_address[1], flush=True)
    # The test keeps our stdin open; when it ends (or dies) we end too.
    threading.Thread(target=lambda: (sys.stdin.buffer.read(), os._exit(0)), daemon=True).start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
