"""Download, metadata query and export of invoices by the KSeF stand-in."""
import datetime as dt
import io
import json
import zipfile
from decimal import Decimal

from stub_common import (FA_SUMS_NET, FA_SUMS_VAT, ApiError, aes_encrypt, amount, iso, now, reference, sha_b64,
                         text)


class InvoiceRoutes:
    """Mixed into the request handler: the /invoices routes."""

    def visible(self, ctx, rec):
        return ctx["nip"] in (rec["seller"], rec["buyer"])

    def download_invoice(self, number):
        ctx = self.context()
        rec = self.st.invoices.get(number)
        if rec is None or not self.visible(ctx, rec):
            raise ApiError(400, 21164, "Faktura o podanym identyfikatorze nie istnieje.", [number])
        self.send_bytes(200, rec["xml"], "application/xml", {"x-ms-meta-hash": sha_b64(rec["xml"])})

    def metadata(self, rec):
        doc = rec["doc"]
        inv = rec["invoice"]
        net, vat = amount(doc, FA_SUMS_NET), amount(doc, FA_SUMS_VAT)
        gross = Decimal(text(doc, "Fa/P_15") or "0")
        return {"ksefNumber": rec["ksefNumber"], "invoiceNumber": text(doc, "Fa/P_2"),
                "issueDate": rec["issueDate"], "invoicingDate": inv["invoicingDate"],
                "acquisitionDate": inv["acquisitionDate"], "permanentStorageDate": inv["permanentStorageDate"],
                "seller": {"nip": rec["seller"], "name": text(doc, "Podmiot1/DaneIdentyfikacyjne/Nazwa")},
                "buyer": {"identifier": {"type": "Nip", "value": rec["buyer"]},
                          "name": text(doc, "Podmiot2/DaneIdentyfikacyjne/Nazwa")},
                "netAmount": float(net), "grossAmount": float(gross), "vatAmount": float(vat),
                "currency": text(doc, "Fa/KodWaluty"), "invoicingMode": inv["invoicingMode"],
                "invoiceType": text(doc, "Fa/RodzajFaktury").capitalize(),
                "formCode": {"systemCode": "FA (3)", "schemaVersion": "1-0E", "value": "FA"},
                "isSelfInvoicing": False, "hasAttachment": False, "invoiceHash": inv["invoiceHash"]}

    def select(self, ctx, filters):
        if not isinstance(filters, dict):
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Brak filtrów"])
        role = {"Subject1": "seller", "Subject2": "buyer"}.get(filters.get("subjectType"))
        rng = filters.get("dateRange") or {}
        try:
            start = dt.datetime.fromisoformat(rng["from"].replace("Z", "+00:00"))
            end = dt.datetime.fromisoformat(rng["to"].replace("Z", "+00:00")) if rng.get("to") else now()
        except (KeyError, ValueError, AttributeError) as e:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Zły zakres dat: %s" % e])
        if (end - start).days > 92:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Zakres dat przekracza 3 miesiące"])
        kind = rng.get("dateType", "Issue")
        out = []
        for rec in self.st.invoices.values():
            if role is None or rec[role] != ctx["nip"]:
                continue
            when = rec["time"]
            if kind == "Issue":
                when = dt.datetime.fromisoformat(rec["issueDate"]).replace(tzinfo=dt.timezone.utc)
            if start <= when <= end:
                out.append(rec)
        return sorted(out, key=lambda r: r["time"])

    def query_metadata(self):
        ctx = self.context()
        found = self.select(ctx, self.json_body())
        if self.query.get("sortOrder") == "Desc":
            found.reverse()
        size = int(self.query.get("pageSize", 10))
        if not 10 <= size <= 250:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["pageSize poza zakresem 10-250"])
        offset = int(self.query.get("pageOffset", 0)) * size
        page = found[offset:offset + size]
        self.send_json(200, {"hasMore": offset + size < len(found), "isTruncated": False,
                             "permanentStorageHwmDate": iso(now()), "invoices": [self.metadata(r) for r in page]})

    def start_export(self):
        ctx = self.context()
        body = self.json_body()
        key, iv = self.unwrap_key(body.get("encryption"))
        found = self.select(ctx, body.get("filters"))
        buf = io.BytesIO()
        with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
            if not body.get("onlyMetadata"):
                for rec in found:
                    z.writestr(rec["ksefNumber"] + ".xml", rec["xml"])
            z.writestr("_metadata.json", json.dumps({"invoices": [self.metadata(r) for r in found]}))
        data = buf.getvalue()
        size = int(self.st.config["exportPartSize"])
        ref = reference("EH")
        port = self.server.server_address[1]
        parts = []
        for i in range(0, len(data), size):
            piece = data[i:i + size]
            enc = aes_encrypt(piece, key, iv)
            n = len(parts) + 1
            parts.append({"ordinalNumber": n, "partName": "%s-%03d.zip.aes" % (ref, n), "method": "GET",
                          "url": "http://127.0.0.1:%d/export/%s/%d" % (port, ref, n), "partSize": len(piece),
                          "partHash": sha_b64(piece), "encryptedPartSize": len(enc),
                          "encryptedPartHash": sha_b64(enc),
                          "expirationDate": iso(now() + dt.timedelta(hours=1)), "data": enc})
        self.st.exports[ref] = {"nip": ctx["nip"], "parts": parts, "polls": 0, "count": len(found),
                                "size": len(data)}
        self.send_json(201, {"referenceNumber": ref})

    def export_status(self, ref):
        ctx = self.context()
        e = self.st.exports.get(ref)
        if e is None or e["nip"] != ctx["nip"]:
            raise ApiError(400, 21405, "Błąd walidacji danych wejściowych.", ["Nie znaleziono eksportu %s" % ref])
        e["polls"] += 1
        if e["polls"] <= self.st.config["exportPendingPolls"]:
            return self.send_json(200, {"status": {"code": 100, "description": "Eksport w toku"}})
        self.send_json(200, {"status": {"code": 200, "description": "Eksport zakończony sukcesem"},
                             "completedDate": iso(now()),
                             "package": {"invoiceCount": e["count"], "size": e["size"], "isTruncated": False,
                                         "permanentStorageHwmDate": iso(now()),
                                         "parts": [{k: v for k, v in p.items() if k != "data"} for p in e["parts"]]}})

    def export_part(self, ref, n):
        e = self.st.exports.get(ref)
        if e is None or not 1 <= n <= len(e["parts"]):
            raise ApiError(404, 0, "Nie ma takiej części.")
        if "Authorization" in self.headers:
            raise ApiError(400, 0, "Adres pobrania nie przyjmuje nagłówka Authorization.")
        self.send_bytes(200, e["parts"][n - 1]["data"], "application/octet-stream")
