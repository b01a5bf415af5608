"""Online and batch sessions of the KSeF stand-in: invoices, statuses, UPO."""
import base64
import datetime as dt
import hashlib
import io
import json
import re
import secrets
import zipfile

from lxml import etree

from stub_common import (SAFE_PARSER, UPO_NS, ApiError, aes_decrypt, iso, ksef_number, now, reference, sha_b64,
                         text)


class SessionRoutes:
    """Mixed into the request handler: the /sessions routes."""

    def open_online(self):
        ctx = self.context()
        body = self.json_body()
        self.check_form(body)
        key, iv = self.unwrap_key(body.get("encryption"))
        ref = reference("SO")
        self.st.sessions[ref] = {"kind": "online", "nip": ctx["nip"], "auth": ctx, "key": key, "iv": iv,
                                 "open": True, "invoices": [], "created": now(), "updated": now()}
        self.send_json(201, {"referenceNumber": ref, "validUntil": iso(now() + dt.timedelta(hours=12))})

    def session(self, ref, kind=None):
        ctx = self.context()
        s = self.st.sessions.get(ref)
        if s is None or s["nip"] != ctx["nip"] or (kind and s["kind"] != kind):
            raise ApiError(400, 21173, "Brak sesji o wskazanym numerze referencyjnym.", [ref])
        return s

    def rate_limited(self):
        """KSeF's limit of single sends: past the limit a block, answered 429 with Retry-After."""
        st = self.st
        limit = st.config.get("sendLimit")
        if not limit:
            return False
        block = st.config.get("sendBlockSeconds", 1)
        t = now()
        until = st.rate.get("blockedUntil")
        if until is not None and t < until:
            wait = max(1, int((until - t).total_seconds() + 0.999))
        elif until is None and st.rate.get("sends", 0) >= limit:
            st.rate["blockedUntil"] = t + dt.timedelta(seconds=block)
            wait = block
        else:
            if until is not None:
                st.rate["blockedUntil"] = None
                st.rate["sends"] = 0
            st.rate["sends"] = st.rate.get("sends", 0) + 1
            return False
        self.send_response(429)
        self.send_header("Retry-After", str(wait))
        body = json.dumps({"title": "Too Many Requests", "status": 429,
                           "detail": "Przekroczono limit wysyłek."}).encode()
        self.send_header("Content-Type", "application/problem+json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        return True

    def send_invoice(self, ref):
        if self.rate_limited():
            return
        s = self.session(ref, "online")
        if not s["open"]:
            raise ApiError(400, 21180, "Status sesji nie pozwala na wykonanie operacji.", ["Sesja zamknięta"])
        body = self.json_body()
        try:
            cipher = base64.b64decode(body["encryptedInvoiceContent"], validate=True)
            sizes = (int(body["invoiceSize"]), int(body["encryptedInvoiceSize"]))
            hashes_ = (body["invoiceHash"], body["encryptedInvoiceHash"])
        except (KeyError, ValueError, TypeError) as e:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Brak lub błędne pole: %s" % e])
        if len(cipher) != sizes[1]:
            raise ApiError(400, 21402, "Nieprawidłowy rozmiar pliku.", ["Zaszyfrowana faktura"])
        if sha_b64(cipher) != hashes_[1]:
            raise ApiError(400, 21403, "Nieprawidłowy skrót pliku.", ["Zaszyfrowana faktura"])
        inv_ref = reference("EE")
        try:
            plain = aes_decrypt(cipher, s["key"], s["iv"])
        except Exception:
            plain = None
        if plain is not None and len(plain) != sizes[0]:
            raise ApiError(400, 21402, "Nieprawidłowy rozmiar pliku.", ["Faktura po odszyfrowaniu"])
        if plain is not None and sha_b64(plain) != hashes_[0]:
            raise ApiError(400, 21403, "Nieprawidłowy skrót pliku.", ["Faktura po odszyfrowaniu"])
        if plain is None:
            inv = self.failed(s, inv_ref, 435, "Błąd odszyfrowania pliku", [], hashes_[0], "")
        else:
            inv = self.store_invoice(plain, s, len(s["invoices"]) + 1, "", bool(body.get("offlineMode")),
                                     s["nip"], inv_ref)
        self.st.pending[inv["referenceNumber"]] = self.st.config.get("invoicePendingPolls", 0)
        s["updated"] = now()
        self.send_json(202, {"referenceNumber": inv["referenceNumber"]})

    def failed(self, s, inv_ref, code, description, details, inv_hash, file_name):
        inv = {"ordinalNumber": len(s["invoices"]) + 1, "referenceNumber": inv_ref, "invoiceHash": inv_hash,
               "acquisitionDate": iso(now()), "invoicingMode": "Online",
               "status": {"code": code, "description": description, "details": details}}
        if file_name:
            inv["invoiceFileName"] = file_name
        s["invoices"].append(inv)
        return inv

    def store_invoice(self, plain, s, ordinal, file_name, offline, context_nip, inv_ref=None):
        """Checks one invoice as KSeF does and records its status (and the invoice, when accepted)."""
        st = self.st
        inv_ref = inv_ref or reference("EE")
        h = sha_b64(plain)

        def fail(code, description, details):
            if s is None:
                return {"status": {"code": code, "description": description, "details": details}}
            return self.failed(s, inv_ref, code, description, details, h, file_name)

        if plain.startswith(b"\xef\xbb\xbf"):
            return fail(430, "Błąd weryfikacji pliku faktury", ["Plik zawiera znacznik BOM"])
        try:
            doc = etree.fromstring(plain, SAFE_PARSER)
        except etree.XMLSyntaxError as e:
            return fail(430, "Błąd weryfikacji pliku faktury", [str(e)])
        if any(isinstance(n, etree._ProcessingInstruction) for n in doc.iter()):
            return fail(430, "Błąd weryfikacji pliku faktury", ["Instrukcje przetwarzania są niedozwolone"])
        if not st.fa3_schema.validate(doc):
            return fail(450, "Błąd weryfikacji semantyki dokumentu faktury",
                        [str(e.message) for e in st.fa3_schema.error_log][:3])
        seller = text(doc, "Podmiot1/DaneIdentyfikacyjne/NIP")
        if context_nip is not None and seller != context_nip:
            return fail(410, "Nieprawidłowy zakres uprawnień",
                        ["NIP sprzedawcy %s spoza kontekstu %s" % (seller, context_nip)])
        dup_key = (seller, text(doc, "Fa/RodzajFaktury"), text(doc, "Fa/P_2"))
        if dup_key in st.duplicates:
            orig = st.duplicates[dup_key]
            out = fail(440, "Duplikat faktury", ["Faktura o numerze %s już istnieje" % dup_key[2]])
            out.setdefault("status", {})["extensions"] = {"originalKsefNumber": orig["ksefNumber"],
                                                          "originalSessionReferenceNumber": orig["session"]}
            return out
        number = ksef_number(seller)
        t = now()
        buyer = text(doc, "Podmiot2/DaneIdentyfikacyjne/NIP")
        inv = {"ordinalNumber": ordinal, "referenceNumber": inv_ref, "invoiceNumber": text(doc, "Fa/P_2"),
               "ksefNumber": number, "invoiceHash": h, "acquisitionDate": iso(t), "invoicingDate": iso(t),
               "permanentStorageDate": iso(t), "invoicingMode": "Offline" if offline else "Online",
               "status": {"code": 200, "description": "Sukces"}}
        if file_name:
            inv["invoiceFileName"] = file_name
        if s is not None:
            s["invoices"].append(inv)
        record = {"ksefNumber": number, "xml": plain, "seller": seller, "buyer": buyer, "doc": doc, "time": t,
                  "session": s, "invoice": inv, "issueDate": text(doc, "Fa/P_1")}
        st.invoices[number] = record
        st.duplicates[dup_key] = {"ksefNumber": number, "session": inv_ref}
        return inv

    def close_online(self, ref):
        s = self.session(ref, "online")
        if not s["open"]:
            raise ApiError(400, 21180, "Status sesji nie pozwala na wykonanie operacji.", ["Sesja już zamknięta"])
        s["open"] = False
        s["updated"] = now()
        self.send_empty(204)

    def session_status_of(self, s):
        ok = sum(1 for i in s["invoices"] if i["status"]["code"] == 200)
        failed = sum(1 for i in s["invoices"] if i["status"]["code"] >= 400)
        if s.get("error"):
            status = s["error"]
        elif s["open"]:
            status = {"code": 100, "description": "Sesja otwarta" if s["kind"] == "online" else
                      "Sesja wsadowa rozpoczęta"}
        elif not s["invoices"]:
            status = {"code": 440, "description": "Sesja anulowana", "details": ["Nie przesłano faktur"]}
        elif ok == 0:
            status = {"code": 445, "description": "Błąd weryfikacji, brak poprawnych faktur"}
        else:
            status = {"code": 200, "description": "Sesja przetworzona pomyślnie"}
        return status, ok, failed

    def session_status(self, ref):
        s = self.session(ref)
        status, ok, failed = self.session_status_of(s)
        if s.get("pending", 0) > 0:
            s["pending"] -= 1
            status = {"code": 150, "description": "Trwa przetwarzanie"}
        self.send_json(200, {"status": status, "dateCreated": iso(s["created"]), "dateUpdated": iso(s["updated"]),
                             "invoiceCount": len(s["invoices"]), "successfulInvoiceCount": ok,
                             "failedInvoiceCount": failed})

    def session_invoices(self, ref):
        s = self.session(ref)
        size = int(self.query.get("pageSize", 10))
        if not 10 <= size <= 1000:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["pageSize poza zakresem 10-1000"])
        token = self.headers.get("x-continuation-token")
        start = 0
        if token:
            m = re.fullmatch(r"(\d+)\.([0-9a-f]+)", token)
            if not m or m.group(2) != hashlib.sha256((ref + m.group(1)).encode()).hexdigest()[:16]:
                raise ApiError(400, 21418, "Przekazany token kontynuacji ma nieprawidłowy format.")
            start = int(m.group(1))
        page = s["invoices"][start:start + size]
        if s.get("pending", 0) > 0:
            page = [{k: v for k, v in i.items() if k != "ksefNumber"} for i in page]
            for i in page:
                i["status"] = {"code": 150, "description": "Trwa przetwarzanie"}
        out = {"invoices": page}
        nxt = start + size
        if nxt < len(s["invoices"]):
            out["continuationToken"] = "%d.%s" % (nxt, hashlib.sha256((ref + str(nxt)).encode()).hexdigest()[:16])
        self.send_json(200, out)

    def find_invoice(self, s, inv_ref):
        for i in s["invoices"]:
            if i["referenceNumber"] == inv_ref:
                return i
        raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Nie znaleziono faktury %s" % inv_ref])

    def invoice_status(self, ref, inv_ref):
        inv = self.find_invoice(self.session(ref), inv_ref)
        if self.st.pending.get(inv_ref, 0) > 0:
            self.st.pending[inv_ref] -= 1
            inv = {k: v for k, v in inv.items() if k != "ksefNumber"}
            inv["status"] = {"code": 150, "description": "Trwa przetwarzanie"}
        self.send_json(200, inv)

    def invoice_upo(self, ref, inv_ref):
        s = self.session(ref)
        inv = self.find_invoice(s, inv_ref)
        if inv["status"]["code"] != 200:
            raise ApiError(400, 21178, "Nie znaleziono UPO dla podanych kryteriów.",
                           ["Faktura nie została przyjęta (%d)" % inv["status"]["code"]])
        rec = self.st.invoices[inv["ksefNumber"]]
        def _el(tag, children):
            el = etree.Element("{%s}%s" % (UPO_NS, tag), nsmap={None: UPO_NS})
            for c in children:
                if isinstance(c, str):
                    el.text = c
                else:
                    el.append(c)
            return el

        upo = _el("Potwierdzenie", [
            _el("NazwaPodmiotuPrzyjmujacego", ["Ministerstwo Finansów"]),
            _el("NumerReferencyjnySesji", [ref]),
            _el("Uwierzytelnienie", [_el("IdKontekstu", [_el("Nip", [s["nip"]])]),
                                     _el("SkrotDokumentuUwierzytelniajacego", [s["auth"]["docHash"]])]),
            _el("NazwaStrukturyLogicznej", ["Schemat_FA(3)_v1-0E.xsd"]),
            _el("KodFormularza", ["FA (3)"]),
            _el("Dokument", [
                _el("NipSprzedawcy", [rec["seller"]]),
                _el("NumerKSeFDokumentu", [rec["ksefNumber"]]),
                _el("NumerFaktury", [inv["invoiceNumber"]]),
                _el("DataWystawieniaFaktury", [rec["issueDate"]]),
                _el("DataPrzeslaniaDokumentu", [inv["acquisitionDate"]]),
                _el("DataNadaniaNumeruKSeF", [inv["permanentStorageDate"]]),
                _el("SkrotDokumentu", [inv["invoiceHash"]]),
                _el("TrybWysylki", [inv["invoicingMode"]])])])
        upo.set("wersjaSchemy", "4-3")
        data = etree.tostring(upo, xml_declaration=True, encoding="UTF-8")
        self.send_bytes(200, data, "application/xml", {"x-ms-meta-hash": sha_b64(data)})

    # ------------------------------------------------------------ batch session
    def open_batch(self):
        ctx = self.context()
        body = self.json_body()
        self.check_form(body)
        bf = body.get("batchFile") or {}
        parts = bf.get("fileParts") or []
        if not parts or len(parts) > 50:
            raise ApiError(400, 21161, "Przekroczona dozwolona liczba części pliku.", [str(len(parts))])
        for p in parts:
            if not 0 < int(p.get("fileSize", 0)) <= 100_000_016:
                raise ApiError(400, 21157, "Nieprawidłowy rozmiar części pliku.", [str(p)])
        key, iv = self.unwrap_key(body.get("encryption"))
        ref = reference("SB")
        port = self.server.server_address[1]
        requests = []
        for p in sorted(parts, key=lambda p: p["ordinalNumber"]):
            sig = secrets.token_hex(8)
            self.st.blobs[(ref, p["ordinalNumber"])] = {"sig": sig, "declared": p, "data": None}
            requests.append({"ordinalNumber": p["ordinalNumber"], "method": "PUT",
                             "url": "http://127.0.0.1:%d/blob/%s/%d?sig=%s" % (port, ref, p["ordinalNumber"], sig),
                             "headers": {"x-ms-blob-type": "BlockBlob"}})
        if self.st.config.get("shuffleUploads"):
            requests.reverse()
        self.st.sessions[ref] = {"kind": "batch", "nip": ctx["nip"], "auth": ctx, "key": key, "iv": iv, "open": True,
                                 "invoices": [], "created": now(), "updated": now(), "file": bf,
                                 "parts": [p["ordinalNumber"] for p in parts]}
        self.send_json(201, {"referenceNumber": ref, "partUploadRequests": requests})

    def upload_part(self, ref, n):
        blob = self.st.blobs.get((ref, n))
        if blob is None or self.query.get("sig") != blob["sig"]:
            raise ApiError(403, 0, "Nieprawidłowy podpis adresu.")
        if "Authorization" in self.headers:
            raise ApiError(400, 0, "Adres wysyłki nie przyjmuje nagłówka Authorization.")
        if self.headers.get("x-ms-blob-type") != "BlockBlob":
            raise ApiError(400, 0, "Brak nagłówka x-ms-blob-type: BlockBlob.")
        d = blob["declared"]
        if len(self.body) != int(d["fileSize"]) or sha_b64(self.body) != d["fileHash"]:
            raise ApiError(400, 0, "Część pliku nie zgadza się z deklaracją.")
        blob["data"] = self.body
        self.send_empty(201)

    def close_batch(self, ref):
        s = self.session(ref, "batch")
        if not s["open"]:
            raise ApiError(400, 21180, "Status sesji nie pozwala na wykonanie operacji.", ["Sesja już zamknięta"])
        missing = [n for n in s["parts"] if self.st.blobs[(ref, n)]["data"] is None]
        if missing:
            raise ApiError(400, 21205, "Nie przesłano zadeklarowanej części pliku.", [str(missing)])
        s["open"] = False
        s["updated"] = now()
        s["pending"] = self.st.config.get("sessionPendingPolls", 0)
        try:
            zip_data = b"".join(aes_decrypt(self.st.blobs[(ref, n)]["data"], s["key"], s["iv"])
                                for n in sorted(s["parts"]))
        except Exception:
            s["error"] = {"code": 435, "description": "Błąd odszyfrowania pliku"}
            return self.send_empty(204)
        if len(zip_data) != int(s["file"].get("fileSize", -1)) or sha_b64(zip_data) != s["file"].get("fileHash"):
            s["error"] = {"code": 405, "description": "Błąd weryfikacji poprawności dostarczonych elementów paczki"}
            return self.send_empty(204)
        try:
            with zipfile.ZipFile(io.BytesIO(zip_data)) as z:
                names = [n for n in z.namelist() if not n.endswith("/")]
                for i, name in enumerate(names, 1):
                    self.store_invoice(z.read(name), s, i, name, False, s["nip"])
        except zipfile.BadZipFile:
            s["error"] = {"code": 430, "description": "Błąd dekompresji pierwotnego archiwum"}
        self.send_empty(204)
