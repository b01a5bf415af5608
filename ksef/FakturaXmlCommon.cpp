#include "ksef/FakturaXmlCommon.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <libxml/xmlwriter.h>
#include <stdexcept>

namespace Fa3 {

namespace {

const char* const kNsFa3 = "http://crd.gov.pl/wzor/2025/06/25/13775/";
const char* const kNsEtd = "http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2022/01/05/eD/DefinicjeTypy/";
const char* const kNsXsi = "http://www.w3.org/2001/XMLSchema-instance";

// Member states as the schema's KodUE lists them (Greece is "EL", Northern Ireland "XI").
const QSet<QString>& euCodes()
{
    static const QSet<QString> codes = [] {
        QSet<QString> s;
        for (const QString& c :
             QStringLiteral("AT BE BG CY CZ DK EE FI FR DE EL HR HU IE IT LV LT LU MT NL PL PT "
                            "RO SK SI ES SE XI")
                 .split(QLatin1Char(' ')))
            s.insert(c);
        return s;
    }();
    return codes;
}

// Country codes the schema accepts in KodKraju.
const QSet<QString>& countryCodes()
{
    static const QSet<QString> codes = [] {
        QSet<QString> s;
        for (const QString& c :
             QStringLiteral(
                 "AF AX AL DZ AD AO AI AQ AG AN SA AR AM AW AU AT AZ BS BH BD BB BE BZ BJ BM BT BY BO BQ BA "
                 "BW BR "
                 "BN IO BG BF BI XC CL CN HR CW CY TD ME DK DM DO DJ EG EC ER EE ET FK FJ PH FI FR TF GA GM "
                 "GH GI "
                 "GR GD GL GE GU GG GY GF GP GT GN GQ GW HT ES HN HK IN ID IQ IR IE IS IL JM JP YE JE JO KY "
                 "KH CM "
                 "CA QA KZ KE KG KI CO KM CG CD KP XK CR CU KW LA LS LB LR LY LI LT LV LU MK MG YT MO MW MV "
                 "MY ML "
                 "MT MP MA MQ MR MU MX XL FM UM MD MC MN MS MZ MM NA NR NP NL DE NE NG NI NU NF NO NC NZ PS "
                 "OM PK "
                 "PW PA PG PY PE PN PF PL GS PT PR CF CZ KR ZA RE RU RO RW EH BL KN LC MF VC SV WS AS SM SN "
                 "RS SC "
                 "SL SG SK SI SO LK PM US SZ SD SS SR SJ SH SY CH SE TJ TH TW TZ TG TK TO TT TN TR TM TV UG "
                 "UA UY "
                 "UZ VU WF VA HU VE GB VN IT TL CI BV CX IM SX CK VI VG HM CC MH FO SB ST TC ZM CV ZW AE XI")
                 .split(QLatin1Char(' ')))
            s.insert(c);
        return s;
    }();
    return codes;
}

bool hasDigit(const QString& s)
{
    for (QChar c : s)
        if (c.isDigit()) return true;
    return false;
}

// Characters XML 1.0 does not allow would make the file unreadable.
QByteArray xmlText(const QString& text)
{
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') continue;
        if (u == 0xFFFE || u == 0xFFFF) continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            clean.append(c).append(text.at(++i));
            continue;
        }
        if (c.isSurrogate()) continue;
        clean.append(c);
    }
    return clean.toUtf8();
}

void check(int rc, const char* what)
{
    if (rc < 0) throw std::runtime_error(std::string("FA(3) XML writer: ") + what);
}

} // namespace

QString NumberText(const QByteArray& raw)
{
    static const QRegularExpression decimal(QStringLiteral("^([-+]?)(\\d*)(?:\\.(\\d*))?$"));
    QString s = QString::fromLatin1(raw).trimmed();
    if (s.isEmpty()) return QStringLiteral("0");
    QRegularExpressionMatch m = decimal.match(s);
    if (!m.hasMatch()) {
        // Not a decimal text (a float column in exponent form): go through the value.
        bool ok = false;
        const double v = QString(s).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok) return s;
        m = decimal.match(QString::number(v, 'f', 8));
        if (!m.hasMatch()) return s;
    }
    QString whole = m.captured(2);
    QString frac = m.captured(3);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    if (whole.isEmpty()) whole = QStringLiteral("0");
    while (frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    QString out = frac.isEmpty() ? whole : whole + QLatin1Char('.') + frac;
    if (m.captured(1) == QLatin1String("-") && out != QLatin1String("0")) out.prepend(QLatin1Char('-'));
    return out;
}

QString NumberText(const TField* field)
{
    if (!field || field->IsNull()) return QStringLiteral("0");
    return NumberText(field->AsBytes());
}

bool IsZeroNumber(const QString& numberText)
{
    return numberText == QLatin1String("0");
}

QString DateText(const TField* field)
{
    if (!field) return QString();
    const QDate d = field->AsDate();
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

TPartyId IdentifyParty(const QString& taxNumber)
{
    const QString t = taxNumber.trimmed();
    TPartyId id;
    id.country = QStringLiteral("PL");
    if (!hasDigit(t)) return id; // BrakID
    const QString prefix = t.left(2);
    if (!hasDigit(prefix)) {
        const QString code = prefix.toUpper();
        const QString rest = t.mid(2);
        if (euCodes().contains(code)) {
            // The letters of a VAT number after the country prefix belong to it
            // (ATU12345678, NL123456789B01); separators do not.
            QString number;
            for (QChar c : rest.toUpper())
                if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                    (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QLatin1Char('+') ||
                    c == QLatin1Char('*'))
                    number.append(c);
            id.kind = TPartyId::VatUe;
            id.code = code;
            id.number = number;
            // KodUE says EL for Greece, an address says GR.
            id.country = code == QLatin1String("EL") ? QStringLiteral("GR") : code;
            return id;
        }
        if (countryCodes().contains(code)) {
            // Outside the EU: the schema's foreign tax identifier with its country.
            id.kind = TPartyId::ForeignId;
            id.code = code;
            id.number = rest.trimmed();
            id.country = code;
            return id;
        }
    }
    id.kind = TPartyId::Nip;
    id.number = DigitsOnly(t);
    return id;
}

QString PaymentFormCode(const QString& form)
{
    static const char* const keywords[] = {"got", "kart", "bon", "czek", "kredyt", "przelew", "mobiln"};
    for (int i = 0; i < 7; ++i)
        if (form.contains(QLatin1String(keywords[i]))) return QString::number(i + 1);
    if (form.size() > 1) return QStringLiteral("1");
    // A one-character form is taken as a code only when it is one.
    if (form.size() == 1 && form.at(0) >= QLatin1Char('1') && form.at(0) <= QLatin1Char('7')) return form;
    return QString();
}

QString RateCode(const QString& rateText)
{
    static const QHash<QString, QString> codes = {
        {QStringLiteral("23%"), QStringLiteral("23")}, {QStringLiteral("22%"), QStringLiteral("22")},
        {QStringLiteral("8%"), QStringLiteral("8")},   {QStringLiteral("7%"), QStringLiteral("7")},
        {QStringLiteral("5%"), QStringLiteral("5")},   {QStringLiteral("4%"), QStringLiteral("4")},
        {QStringLiteral("3%"), QStringLiteral("3")},   {QStringLiteral("0%"), QStringLiteral("0 KR")},
        {QStringLiteral("zw"), QStringLiteral("zw")},
    };
    return codes.value(rateText);
}

QString AddressLine1(const QString& street, const QString& building, const QString& flat)
{
    QString line = street + QLatin1Char(' ') + building;
    if (!flat.isEmpty()) line += QLatin1Char('/') + flat;
    return line;
}

// ---------------------------------------------------------------------------

struct TWriter::Impl
{
    xmlBufferPtr buf = nullptr;
    xmlTextWriterPtr w = nullptr;
};

TWriter::TWriter() : d(std::make_unique<Impl>())
{
    d->buf = xmlBufferCreate();
    if (!d->buf) throw std::runtime_error("FA(3) XML writer: out of memory");
    d->w = xmlNewTextWriterMemory(d->buf, 0);
    if (!d->w) {
        xmlBufferFree(d->buf);
        throw std::runtime_error("FA(3) XML writer: out of memory");
    }
    xmlTextWriterSetIndent(d->w, 1);
    xmlTextWriterSetIndentString(d->w, BAD_CAST "\t");
    check(xmlTextWriterStartDocument(d->w, "1.0", "UTF-8", nullptr), "declaration");
}

TWriter::~TWriter()
{
    if (d->w) xmlFreeTextWriter(d->w);
    if (d->buf) xmlBufferFree(d->buf);
}

void TWriter::Start(const char* name)
{
    check(xmlTextWriterStartElement(d->w, BAD_CAST name), name);
}

void TWriter::Attribute(const char* name, const QString& value)
{
    const QByteArray v = xmlText(value);
    check(xmlTextWriterWriteAttribute(d->w, BAD_CAST name, BAD_CAST v.constData()), name);
}

void TWriter::Text(const QString& text)
{
    const QByteArray v = xmlText(text);
    check(xmlTextWriterWriteString(d->w, BAD_CAST v.constData()), "text");
}

void TWriter::End()
{
    check(xmlTextWriterEndElement(d->w), "end tag");
}

void TWriter::Leaf(const char* name, const QString& text)
{
    Start(name);
    Text(text);
    End();
}

void TWriter::LeafIfAny(const char* name, const QString& text)
{
    if (!text.trimmed().isEmpty()) Leaf(name, text);
}

QByteArray TWriter::Finish()
{
    check(xmlTextWriterEndDocument(d->w), "end of document");
    check(xmlTextWriterFlush(d->w), "flush");
    return QByteArray(reinterpret_cast<const char*>(xmlBufferContent(d->buf)), xmlBufferLength(d->buf));
}

// ---------------------------------------------------------------------------

void WriteHeader(TWriter& w)
{
    w.Start("Faktura");
    w.Attribute("xmlns:etd", QString::fromLatin1(kNsEtd));
    w.Attribute("xmlns:xsi", QString::fromLatin1(kNsXsi));
    w.Attribute("xmlns", QString::fromLatin1(kNsFa3));
    w.Start("Naglowek");
    w.Start("KodFormularza");
    w.Attribute("kodSystemowy", QStringLiteral("FA (3)"));
    w.Attribute("wersjaSchemy", QStringLiteral("1-0E"));
    w.Text(QStringLiteral("FA"));
    w.End();
    w.Leaf("WariantFormularza", QStringLiteral("3"));
    // The "Z" designator means UTC, so the time must be UTC.
    w.Leaf("DataWytworzeniaFa",
           QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")));
    w.Leaf("SystemInfo", QStringLiteral("OrlixISP"));
    w.End();
}

void WriteSeller(TWriter& w)
{
    auto ini = [](const char* key, const QString& def = QString()) {
        return ReadIniString(0, QString::fromLatin1(key), def);
    };
    w.Start("Podmiot1");
    w.Start("DaneIdentyfikacyjne");
    w.Leaf("NIP", DigitsOnly(ini("U_NIP")));
    w.Leaf("Nazwa", (ini("U_Nazwa1") + QLatin1Char(' ') +
                     ini("U_Nazwa2", QStringLiteral("Proszę wpisać swoją nazwę firmy")))
                        .trimmed());
    w.End();
    WriteAddress(w, "Adres", QStringLiteral("PL"),
                 AddressLine1(ini("U_Ulica"), ini("U_NrDomu"), ini("U_NrLokalu")),
                 ini("U_KodPocztowy") + QLatin1Char(' ') + ini("U_Miejscowosc"), true);
    w.End();
}

void WritePartyId(TWriter& w, const TPartyId& id)
{
    switch (id.kind) {
    case TPartyId::Nip:
        w.Leaf("NIP", id.number);
        break;
    case TPartyId::VatUe:
        w.Leaf("KodUE", id.code);
        w.Leaf("NrVatUE", id.number);
        break;
    case TPartyId::ForeignId:
        w.Leaf("KodKraju", id.code);
        w.Leaf("NrID", id.number);
        break;
    case TPartyId::NoId:
        w.Leaf("BrakID", QStringLiteral("1"));
        break;
    }
}

void WriteAddress(TWriter& w, const char* element, const QString& country, const QString& line1,
                  const QString& line2, bool required)
{
    const bool blank1 = line1.trimmed().isEmpty();
    const bool blank2 = line2.trimmed().isEmpty();
    if (blank1 && blank2 && !required) return;
    w.Start(element);
    w.Leaf("KodKraju", country);
    if (blank1 && !blank2) {
        // AdresL1 may not be empty: an address of a place without street and
        // number is its postal line alone.
        w.Leaf("AdresL1", line2);
    } else {
        w.Leaf("AdresL1", line1);
        w.LeafIfAny("AdresL2", line2);
    }
    w.End();
}

// ---------------------------------------------------------------------------

TField* TDocRow::Field(const char* name) const
{
    return m_q.FieldByName(m_p + QLatin1String(name));
}

TField* TDocRow::Plain(const char* name) const
{
    return m_q.FieldByName(QLatin1String(name));
}

QString TDocRow::Text(const char* name) const
{
    return Field(name)->AsString();
}

QString TDocRow::Number(const char* name) const
{
    return NumberText(Field(name));
}

QString TDocRow::Date(const char* name) const
{
    return DateText(Field(name));
}

int TDocRow::Integer(const char* name) const
{
    return Field(name)->AsInteger();
}

bool TDocRow::HasOtherPartyWithNip() const
{
    return Integer("CZYADRESDOKORESP") == 1 && !Text("NIP2").trimmed().isEmpty();
}

void WriteBuyer(TWriter& w, const TDocRow& doc)
{
    const TPartyId id = IdentifyParty(doc.Text("NIP"));
    w.Start("Podmiot2");
    w.Start("DaneIdentyfikacyjne");
    WritePartyId(w, id);
    w.LeafIfAny("Nazwa", (doc.Text("NAZWISKO") + QLatin1Char(' ') + doc.Text("IMIE")).trimmed());
    w.End();
    WriteAddress(w, "Adres", id.country,
                 AddressLine1(doc.Text("ADR_ULICA"), doc.Text("ADR_NRDOMU"), doc.Text("ADR_NRLOKALU")),
                 doc.Text("ADR_KOD") + QLatin1Char(' ') + doc.Text("ADR_MIEJSCOWOSC"), false);
    w.LeafIfAny("NrKlienta", doc.Plain("U_NRKLIENTA")->AsString());
    // JST takes only 1 or 2; anything else stored means "not a local authority".
    const bool jst = doc.HasOtherPartyWithNip() && doc.Integer("KOR_JST") == 1;
    w.Leaf("JST", jst ? QStringLiteral("1") : QStringLiteral("2"));
    w.Leaf("GV", QStringLiteral("2"));
    w.End();
}

void WriteOtherParty(TWriter& w, const TDocRow& doc)
{
    const QString internalId = doc.Text("KOR_IDWEW").trimmed();
    QString country = QStringLiteral("PL");
    w.Start("Podmiot3");
    w.Start("DaneIdentyfikacyjne");
    if (internalId.isEmpty()) {
        const TPartyId id = IdentifyParty(doc.Text("NIP2"));
        WritePartyId(w, id);
        country = id.country;
    } else {
        w.Leaf("IDWew", internalId);
    }
    w.LeafIfAny("Nazwa", doc.Text("KOR_NAZWA").trimmed());
    w.End();
    WriteAddress(w, "Adres", country,
                 AddressLine1(doc.Text("KOR_ULICA"), doc.Text("KOR_NRDOMU"), doc.Text("KOR_NRLOKALU")),
                 doc.Text("KOR_KOD") + QLatin1Char(' ') + doc.Text("KOR_MIEJSCOWOSC"), false);
    w.Leaf("Rola", QString::number(doc.Integer("KOR_ROLA")));
    w.End();
}

void WriteAnnotations(TWriter& w, const QString& grossText)
{
    Amount4 gross;
    const bool over = Amount4::tryParse(grossText, gross) && gross > Amount4::fromRaw(15000 * Amount4::Scale);
    w.Start("Adnotacje");
    w.Leaf("P_16", QStringLiteral("2"));
    w.Leaf("P_17", QStringLiteral("2"));
    w.Leaf("P_18", QStringLiteral("2"));
    w.Leaf("P_18A", over ? QStringLiteral("1") : QStringLiteral("2"));
    w.Start("Zwolnienie");
    w.Leaf("P_19N", QStringLiteral("1"));
    w.End();
    w.Start("NoweSrodkiTransportu");
    w.Leaf("P_22N", QStringLiteral("1"));
    w.End();
    w.Leaf("P_23", QStringLiteral("2"));
    w.Start("PMarzy");
    w.Leaf("P_PMarzyN", QStringLiteral("1"));
    w.End();
    w.End();
}

void WritePayment(TWriter& w, const TDocRow& doc)
{
    const QString issued = doc.Date("DATAWYSTAWIENIA");
    const QString due = doc.Date("DATAPLATNOSCI");
    w.Start("Platnosc");
    if (IsZeroNumber(doc.Number("KWOTADOROZLICZENIA")) && !issued.isEmpty()) {
        w.Leaf("Zaplacono", QStringLiteral("1"));
        w.Leaf("DataZaplaty", issued);
    }
    if (!due.isEmpty()) {
        w.Start("TerminPlatnosci");
        w.Leaf("Termin", due);
        w.End();
    }
    const QString form = PaymentFormCode(doc.Text("FORMAPLATNOSCI"));
    if (!form.isEmpty()) w.Leaf("FormaPlatnosci", form);

    const QString subAccount = doc.Plain("U_NRRACHUNKU1")->AsString();
    const bool hasSubAccount = !subAccount.trimmed().isEmpty();
    const QString account =
        hasSubAccount ? subAccount : ReadIniString(0, QStringLiteral("U_NrKonta"), QString());
    const QString subBank = ReadIniString(0, QStringLiteral("U_NazwaBankuSubkonta"), QString());
    QString bank = (!subBank.trimmed().isEmpty() && hasSubAccount)
                       ? subBank
                       : ReadIniString(0, QStringLiteral("U_NazwaBanku"), QString());
    if (bank.trimmed().isEmpty()) bank = QStringLiteral("Brak");
    const QString nrb = QStringLiteral("PL") + DigitsOnly(account);
    // NrRB must have 10 characters at least: without an account there is no block.
    if (nrb.size() >= 10) {
        w.Start("RachunekBankowy");
        w.Leaf("NrRB", nrb);
        w.Leaf("NazwaBanku", bank);
        w.End();
    }
    w.End();
}

QString SaveToExportFolder(const QString& name, const QByteArray& content)
{
    QString path = ExportFolder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('\\')))
        path += QLatin1Char('/');
    path += name;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size() || !f.commit())
        throw std::runtime_error(
            QStringLiteral("Nie można zapisać pliku \"%1\": %2").arg(path, f.errorString()).toStdString());
    return path;
}

void LogElapsedTimeQuietly(const QString& name)
{
    try {
        LogElapsedTime(name);
    } catch (...) {
    }
}

std::unique_ptr<TQuery> BeginDocument(TWriter& w, const QString& table, const QString& prefix, int index)
{
    TDedicatedSession* s = GlobalSession();
    // Table and prefix are the writers' own constants, never user text.
    const QString key = prefix + QStringLiteral("INDEX");
    if (s->IsQueryEmpty(QStringLiteral("select 1 from %1 where %2=:p1").arg(table, key), {index}))
        return nullptr;
    SetCurrentPodmiot(s->GetQueryValueAsInteger(
        QStringLiteral("select %1PODMIOT from %2 where %3=:p1").arg(prefix, table, key), {index}));
    WriteHeader(w);
    WriteSeller(w);
    return s->OpenQuery(QStringLiteral("select * from v%1Lista where %2=:p1").arg(table, key), {index});
}

} // namespace Fa3
