"""Helpers and state shared by the parts of the KSeF stand-in (see ksef_stub.py)."""
import base64
import datetime as dt
import hashlib
import io
import os
import secrets
import threading
from decimal import Decimal, InvalidOperation

from cryptography import x509
from cryptography.hazmat.primitives import hashes, padding as sympad, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
from cryptography.x509.oid import NameOID
from lxml import etree

AUTH_NS_21 = "http://ksef.mf.gov.pl/auth/token/2.1"
AUTH_NS_20 = "http://ksef.mf.gov.pl/auth/token/2.0"
DS_NS = "http://www.w3.org/2000/09/xmldsig#"
XADES_NS = "http://uri.etsi.org/01903/v1.3.2#"
UPO_NS = "http://upo.schematy.mf.gov.pl/KSeF/v4-3"
FA_SUMS_NET = ["P_13_1", "P_13_2", "P_13_3", "P_13_4", "P_13_5", "P_13_6_1", "P_13_6_2", "P_13_6_3",
               "P_13_7", "P_13_8", "P_13_9", "P_13_10", "P_13_11"]
FA_SUMS_VAT = ["P_14_1", "P_14_2", "P_14_3", "P_14_4", "P_14_5"]
SAFE_PARSER = etree.XMLParser(resolve_entities=False, no_network=True, remove_blank_text=False)


class ApiError(Exception):
    def __init__(self, http, code, description, details=None):
        super().__init__(description)
        self.http, self.code, self.description, self.details = http, code, description, details or []


def now():
    return dt.datetime.now(dt.timezone.utc)


def iso(t):
    return t.isoformat(timespec="milliseconds")


def b64(data):
    return base64.b64encode(data).decode()


def sha_b64(data):
    return b64(hashlib.sha256(data).digest())


def crc8(text):
    crc = 0
    for ch in text.encode():
        crc ^= ch
        for _ in range(8):
            crc = ((crc << 1) ^ 0x07) & 0xFF if crc & 0x80 else (crc << 1) & 0xFF
    return crc


def ksef_number(nip):
    base = "%s-%s-%s" % (nip, dt.date.today().strftime("%Y%m%d"), secrets.token_hex(6).upper())
    return "%s-%02X" % (base, crc8(base))


def reference(kind):
    return "%s-%s-%s-%s-%s" % (dt.date.today().strftime("%Y%m%d"), kind, secrets.token_hex(5).upper(),
                               secrets.token_hex(5).upper(), secrets.token_hex(1).upper())


def aes_decrypt(data, key, iv):
    d = Cipher(algorithms.AES(key), modes.CBC(iv)).decryptor()
    padded = d.update(data) + d.finalize()
    u = sympad.PKCS7(128).unpadder()
    return u.update(padded) + u.finalize()


def aes_encrypt(data, key, iv):
    p = sympad.PKCS7(128).padder()
    e = Cipher(algorithms.AES(key), modes.CBC(iv)).encryptor()
    return e.update(p.update(data) + p.finalize()) + e.finalize()


def local(el):
    return etree.QName(el).localname if isinstance(el.tag, str) else ""


def find(el, path):
    """Element at a path of local names ("Podmiot1/DaneIdentyfikacyjne/NIP"), namespace-blind."""
    for part in path.split("/"):
        if el is None:
            return None
        el = next((c for c in el if local(c) == part), None)
    return el


def text(el, path):
    n = find(el, path)
    return (n.text or "").strip() if n is not None else ""


def amount(el, names):
    total = Decimal("0")
    for n in names:
        try:
            total += Decimal(text(el, "Fa/" + n) or "0")
        except InvalidOperation:
            pass
    return total


def load_schema(path):
    # Read by us: once xmlsec is loaded, libxml2 no longer opens a path with "(" in it.
    with open(path, "rb") as f:
        return etree.XMLSchema(etree.parse(io.BytesIO(f.read()), base_url=path))


class State:
    def __init__(self, args):
        self.lock = threading.RLock()
        self.config = {"challengeTtl": 600, "accessTtl": 900, "authPendingPolls": 0, "exportPendingPolls": 0,
                       "exportPartSize": 50_000_000}
        self.faults = []
        self.stats = {}
        self.challenges = {}
        self.auth_ops = {}
        self.tokens = {}
        self.sessions = {}
        self.invoices = {}  # ksef number -> stored invoice
        self.duplicates = {}
        self.exports = {}
        self.blobs = {}
        self.pending = {}  # invoice reference -> status questions still answered 150
        self.rate = {}
        with open(args.ca, "rb") as f:
            self.ca = x509.load_pem_x509_certificate(f.read())
        self.auth_schema = load_schema(os.path.join(args.schemas, "KSEF_AUTH", "schemat_auth_v2-1.xsd"))
        self.fa3_schema = load_schema(os.path.join(args.schemas, "FA3", "local", "schemat_FA(3)_v1-0E.xsd"))
        # The ministry's key for wrapping symmetric keys: its private half stays here.
        self.mf_key = rsa.generate_private_key(public_exponent=65537, key_size=2048)
        name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "KSeF stub SymmetricKeyEncryption")])
        t = now()
        self.mf_cert = (x509.CertificateBuilder().subject_name(name).issuer_name(name)
                        .public_key(self.mf_key.public_key()).serial_number(x509.random_serial_number())
                        .not_valid_before(t - dt.timedelta(days=1)).not_valid_after(t + dt.timedelta(days=365))
                        .sign(self.mf_key, hashes.SHA256()))
        spki = self.mf_key.public_key().public_bytes(serialization.Encoding.DER,
                                                     serialization.PublicFormat.SubjectPublicKeyInfo)
        self.mf_key_id = sha_b64(spki)
