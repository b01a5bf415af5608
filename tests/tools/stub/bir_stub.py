#!/usr/bin/env python3
"""Loopback stand-in of the REGON register's public search service (BIR 1.1).

Speaks SOAP 1.2 over HTTPS and answers in MTOM multipart bodies as the
published service does: Zaloguj, DaneSzukajPodmioty, DanePobierzPelnyRaport,
GetValue and Wyloguj. Every request is appended to the log file as one JSON
line. The scenario comes from a JSON file:

  {"key": "<user key>", "companies": {"<nip>": [{"Nazwa": "...", ...}, ...]},
   "hang": "" | "*" | "<operation>"}

Prints "PORT <n>" once it listens on 127.0.0.1.
"""
import argparse
import html
import http.server
import json
import secrets
import ssl
import sys
import threading
import time
import xml.etree.ElementTree as ET

SOAP = "http://www.w3.org/2003/05/soap-envelope"
WSA = "http://www.w3.org/2005/08/addressing"
NS = "http://CIS/BIR/PUBL/2014/07"
DAT = NS + "/DataContract"
# GetValue belongs to the service's older common interface.
NS_COMMON = "http://CIS/BIR/2014/07"
ACTIONS = {
    NS + "/IUslugaBIRzewnPubl/Zaloguj": "Zaloguj",
    NS + "/IUslugaBIRzewnPubl/Wyloguj": "Wyloguj",
    NS + "/IUslugaBIRzewnPubl/DaneSzukajPodmioty": "DaneSzukajPodmioty",
    NS + "/IUslugaBIRzewnPubl/DanePobierzPelnyRaport": "DanePobierzPelnyRaport",
    NS_COMMON + "/IUslugaBIR/GetValue": "GetValue",
}
# Element order of one entity in the search answer.
SEARCH_FIELDS = ["Regon", "Nip", "StatusNip", "Nazwa", "Wojewodztwo", "Powiat", "Gmina", "Miejscowosc",
                 "KodPocztowy", "Ulica", "NrNieruchomosci", "NrLokalu", "Typ", "SilosID",
                 "DataZakonczeniaDzialalnosci", "MiejscowoscPoczty"]
NOT_FOUND_PL = "Nie znaleziono podmiotu dla podanych kryteriów wyszukiwania."
NOT_FOUND_EN = "No data found for the specified search criteria."
BOUNDARY = "uuid:5c1a33b4-6f0e-4a8e-9d52-0b7f1e2a9c10+id=1"


class State:
    def __init__(self, scenario, log_path):
        self.scenario = scenario
        self.log_path = log_path
        self.sessions = set()
        self.last_code = {}  # session id -> last message code (GetValue "KomunikatKod")
        self.lock = threading.Lock()

    def record(self, entry):
        with self.lock, open(self.log_path, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry, ensure_ascii=False) + "\n")


def inner_xml(rows):
    """The result string: an XML document the service sends as escaped text."""
    lines = ["<root>"]
    for row in rows:
        lines.append("  <dane>")
        for name, value in row:
            if value == "":
                lines.append("    <%s />" % name)
            else:
                lines.append("    <%s>%s</%s>" % (name, html.escape(value, quote=False), name))
        lines.append("  </dane>")
    lines.append("</root>")
    # The service's serializer writes carriage returns as character references.
    return "&#xD;\n".join(html.escape(l, quote=False) for l in lines)


def not_found(nip):
    return inner_xml([[("ErrorCode", "4"), ("ErrorMessagePl", NOT_FOUND_PL),
                       ("ErrorMessageEn", NOT_FOUND_EN), ("Nip", nip)]])


def envelope(operation, result_xml, ns=NS):
    return ('<s:Envelope xmlns:s="%s" xmlns:a="%s"><s:Header>'
            '<a:Action s:mustUnderstand="1">%s</a:Action></s:Header><s:Body>'
            '<%sResponse xmlns="%s">%s</%sResponse></s:Body></s:Envelope>'
            % (SOAP, WSA, action_of(operation) + "Response", operation, ns, result_xml, operation))


def action_of(operation):
    for action, op in ACTIONS.items():
        if op == operation:
            return action
    return ""


def fault(text):
    return ('<s:Envelope xmlns:s="%s"><s:Body><s:Fault><s:Code><s:Value>s:Sender</s:Value></s:Code>'
            '<s:Reason><s:Text xml:lang="pl-PL">%s</s:Text></s:Reason></s:Fault></s:Body></s:Envelope>'
            % (SOAP, html.escape(text)))


def mtom(soap_xml):
    part = ("--%s\r\nContent-ID: <http://tempuri.org/0>\r\nContent-Transfer-Encoding: 8bit\r\n"
            "Content-Type: application/xop+xml;charset=utf-8;type=\"application/soap+xml\"\r\n\r\n%s\r\n--%s--\r\n"
            % (BOUNDARY, soap_xml, BOUNDARY))
    content_type = ('multipart/related; type="application/xop+xml"; start="<http://tempuri.org/0>"; '
                    'boundary="%s"; start-info="application/soap+xml"' % BOUNDARY)
    return part.encode("utf-8"), content_type


def content_type_action(value):
    for piece in value.split(";"):
        piece = piece.strip()
        if piece.lower().startswith("action="):
            return piece[len("action="):].strip('"')
    return ""


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    state = None

    def log_message(self, fmt, *args):
        pass

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        raw = self.rfile.read(length)
        content_type = self.headers.get("Content-Type", "")
        sid = self.headers.get("sid")
        action = content_type_action(content_type)
        entry = {"path": self.path, "contentType": content_type, "action": action, "sid": sid,
                 "body": raw.decode("utf-8", "replace")}
        operation = ACTIONS.get(action)
        hang = self.state.scenario.get("hang", "")
        if hang and (hang == "*" or hang == operation):
            entry["hung"] = True
            self.state.record(entry)
            time.sleep(120)
            return
        try:
            doc = ET.fromstring(raw)
        except ET.ParseError as e:
            entry["error"] = "not well-formed: %s" % e
            self.state.record(entry)
            return self.answer(400, fault("Nieprawidłowy komunikat"))
        header_action = doc.findtext("{%s}Header/{%s}Action" % (SOAP, WSA))
        entry["wsaAction"] = header_action
        entry["wsaTo"] = doc.findtext("{%s}Header/{%s}To" % (SOAP, WSA))
        if operation is None or header_action != action:
            entry["error"] = "action"
            self.state.record(entry)
            return self.answer(500, fault("The message with Action '%s' cannot be processed" % action))
        body = doc.find("{%s}Body" % SOAP)
        entry["operation"] = operation
        result = getattr(self, "op_" + operation)(body, (sid or "").strip(), entry)
        self.state.record(entry)
        ns = NS_COMMON if operation == "GetValue" else NS
        self.answer(200, envelope(operation, result, ns))

    def answer(self, status, soap_xml):
        payload, content_type = mtom(soap_xml)
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)

    def valid(self, sid):
        return sid in self.state.sessions

    def op_Zaloguj(self, body, sid, entry):
        key = body.findtext("{%s}Zaloguj/{%s}pKluczUzytkownika" % (NS, NS)) or ""
        entry["key"] = key
        if key.strip() != self.state.scenario.get("key"):
            return "<ZalogujResult></ZalogujResult>"
        new_sid = secrets.token_hex(10)
        self.state.sessions.add(new_sid)
        entry["issuedSid"] = new_sid
        return "<ZalogujResult>%s</ZalogujResult>" % new_sid

    def op_Wyloguj(self, body, sid, entry):
        ended = (body.findtext("{%s}Wyloguj/{%s}pIdentyfikatorSesji" % (NS, NS)) or "").strip()
        entry["endedSid"] = ended
        known = ended in self.state.sessions
        self.state.sessions.discard(ended)
        return "<WylogujResult>%s</WylogujResult>" % ("true" if known else "false")

    def op_DaneSzukajPodmioty(self, body, sid, entry):
        nip = body.findtext("{%s}DaneSzukajPodmioty/{%s}pParametryWyszukiwania/{%s}Nip" % (NS, NS, DAT))
        entry["nip"] = nip
        if not self.valid(sid):
            # Without a session the service answers empty; GetValue then says 7.
            return "<DaneSzukajPodmiotyResult></DaneSzukajPodmiotyResult>"
        companies = self.state.scenario.get("companies", {}).get(nip or "")
        if not companies:
            self.state.last_code[sid] = "4"
            result = not_found(nip or "")
        else:
            self.state.last_code[sid] = ""
            result = inner_xml([[(f, c.get(f, "")) for f in SEARCH_FIELDS] for c in companies])
        return "<DaneSzukajPodmiotyResult>%s</DaneSzukajPodmiotyResult>" % result

    def op_DanePobierzPelnyRaport(self, body, sid, entry):
        regon = body.findtext("{%s}DanePobierzPelnyRaport/{%s}pRegon" % (NS, NS)) or ""
        report = body.findtext("{%s}DanePobierzPelnyRaport/{%s}pNazwaRaportu" % (NS, NS)) or ""
        entry["regon"], entry["report"] = regon, report
        if not self.valid(sid):
            return "<DanePobierzPelnyRaportResult></DanePobierzPelnyRaportResult>"
        found = [c for cs in self.state.scenario.get("companies", {}).values() for c in cs
                 if c.get("Regon") == regon]
        if not found:
            self.state.last_code[sid] = "4"
            result = inner_xml([[("ErrorCode", "4"), ("ErrorMessagePl", NOT_FOUND_PL),
                                 ("ErrorMessageEn", NOT_FOUND_EN), ("Regon", regon), ("Typ_podmiotu", ""),
                                 ("Raport", report)]])
        else:
            c = found[0]
            prefix = "praw_" if "Praw" in report else "fiz_"
            rows = [("%sregon9" % prefix, c.get("Regon", "")), ("%snip" % prefix, c.get("Nip", "")),
                    ("%snazwa" % prefix, c.get("Nazwa", "")),
                    ("%sadSiedzKodPocztowy" % prefix, c.get("KodPocztowy", "").replace("-", "")),
                    ("%sadSiedzNumerNieruchomosci" % prefix, c.get("NrNieruchomosci", "")),
                    ("%sadSiedzNumerLokalu" % prefix, c.get("NrLokalu", "")),
                    ("%sadSiedzMiejscowosc_Nazwa" % prefix, c.get("Miejscowosc", "")),
                    ("%sadSiedzUlica_Nazwa" % prefix, c.get("Ulica", ""))]
            self.state.last_code[sid] = ""
            result = inner_xml([rows])
        return "<DanePobierzPelnyRaportResult>%s</DanePobierzPelnyRaportResult>" % result

    def op_GetValue(self, body, sid, entry):
        name = body.findtext("{%s}GetValue/{%s}pNazwaParametru" % (NS_COMMON, NS_COMMON)) or ""
        entry["parameter"] = name
        if name == "StatusSesji":
            value = "1" if self.valid(sid) else "0"
        elif name == "KomunikatKod":
            value = self.state.last_code.get(sid, "") if self.valid(sid) else "7"
        elif name == "KomunikatTresc":
            code = self.state.last_code.get(sid, "") if self.valid(sid) else "7"
            value = {"4": NOT_FOUND_PL, "7": "Brak sesji. Sesja wygasła lub przekazano nieprawidłową wartość "
                     "nagłówka sid."}.get(code, "")
        elif name == "StatusUslugi":
            value = "1"
        elif name == "StanDanych":
            value = "01-12-2026"
        else:
            value = ""
        return "<GetValueResult>%s</GetValueResult>" % html.escape(value, quote=False)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--scenario", required=True)
    ap.add_argument("--cert", required=True)
    ap.add_argument("--key", required=True)
    ap.add_argument("--log", required=True)
    args = ap.parse_args()
    with open(args.scenario, encoding="utf-8") as f:
        scenario = json.load(f)
    Handler.state = State(scenario, args.log)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
