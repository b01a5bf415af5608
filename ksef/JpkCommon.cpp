#include "ksef/JpkCommon.h"

#include "core/ActivityLog.h"
#include "core/DataModule.h"
#include "core/DbIni.h"
#include "core/Funkcje.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/FakturaXmlCommon.h"
#include "ksef/Jpk.h"

#include <QDateTime>
#include <QRegularExpression>
#include <stdexcept>

namespace Jpk {

const std::array<int, kFieldCount> kFieldNumbers = {10, 11, 13, 15, 16, 17, 18, 19, 20};

namespace {

// Columns of the nine register amounts, in field order.
const char* const kFieldColumns[kFieldCount] = {"SUMANETTO_G", "SUMANETTO_NP", "SUMANETTO_C",
                                                "SUMANETTO_D", "SUMAVAT_D",    "SUMANETTO_B",
                                                "SUMAVAT_B",   "SUMANETTO_A",  "SUMAVAT_A"};
// Which of them are VAT (the rest are net values).
constexpr bool kIsVat[kFieldCount] = {false, false, false, false, true, false, true, false, true};

QString iso(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

bool IsUserIdList(const QString& text)
{
    static const QRegularExpression idList(
        QStringLiteral("^\\s*in\\s*\\(\\s*\\d+(\\s*,\\s*\\d+)*\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    return text.trimmed().isEmpty() || idList.match(text).hasMatch();
}

TPeriod BeginPeriod(const QString& userIdFilter, int podmiot, const QDate& from, const QDate& to)
{
    StopwatchStart();
    // The list is spliced into the statements.
    if (!IsUserIdList(userIdFilter))
        throw std::invalid_argument("JPK: the subscriber list is not a list of keys");
    if (!from.isValid() || !to.isValid()) throw std::invalid_argument("JPK: the period has no valid dates");
    if (podmiot > 0) SetCurrentPodmiot(podmiot);
    TPeriod p;
    p.UserIdFilter = userIdFilter.trimmed().isEmpty() ? QString() : QLatin1Char(' ') + userIdFilter.trimmed();
    p.Podmiot = podmiot;
    p.From = from;
    p.To = to;
    return p;
}

QString Prefix(TKind kind)
{
    return kind == TKind::Invoice ? QStringLiteral("FV_") : QStringLiteral("FVK_");
}

QString ViewName(TKind kind)
{
    return kind == TKind::Invoice ? QStringLiteral("vFvLista") : QStringLiteral("vFvkLista");
}

QString TableName(TKind kind)
{
    return kind == TKind::Invoice ? QStringLiteral("Fv") : QStringLiteral("Fvk");
}

QString PeriodWhere(TKind kind, const TPeriod& period)
{
    const QString p = Prefix(kind);
    QString w = QStringLiteral(" where %1DATAWYSTAWIENIA>=:p1 and %1DATAWYSTAWIENIA<=:p2").arg(p);
    if (!period.UserIdFilter.isEmpty()) w += QStringLiteral(" and %1INDEXUSER").arg(p) + period.UserIdFilter;
    if (period.Podmiot > 0) w += QStringLiteral(" and %1PODMIOT=:p3").arg(p);
    return w;
}

TArgs PeriodArgs(const TPeriod& period, const QDate& from, const QDate& to)
{
    TArgs a{iso(from), iso(to)};
    if (period.Podmiot > 0) a.emplace_back(period.Podmiot);
    return a;
}

TArgs PeriodArgs(const TPeriod& period)
{
    return PeriodArgs(period, period.From, period.To);
}

TSeller ReadSeller()
{
    auto s = [](const char* key, const QString& def = QString()) {
        return ReadIniString(0, QLatin1String(key), def);
    };
    TSeller r;
    r.KodUS = s("U_KodUS", QStringLiteral("0000")).trimmed();
    r.Nip = DigitsOnly(s("U_NIP"));
    r.Nazwa =
        s("U_Nazwa1") + QLatin1Char(' ') + s("U_Nazwa2", QStringLiteral("Proszę wpisać swoją nazwę firmy"));
    r.Email = s("U_EmailJPK").trimmed();
    r.OsobaFizyczna = ReadIniBool(0, QStringLiteral("OsobaFizycznaJPK"), false);
    r.Imie = s("ImieJPK").trimmed();
    r.Nazwisko = s("NazwiskoJPK").trimmed();
    r.DataUrodzenia = s("DataUrodzeniaJPK").trimmed();
    r.Ulica = s("U_Ulica");
    r.NrDomu = s("U_NrDomu");
    r.KodPocztowy = s("U_KodPocztowy");
    r.Poczta = s("U_Poczta");
    r.Wojewodztwo = s("U_Wojewodztwo");
    r.Powiat = s("U_Powiat");
    r.Gmina = s("U_Gmina");
    r.Miejscowosc = s("U_Miejscowosc");
    return r;
}

void Refuse(const QString& fileLabel, const QString& reason)
{
    throw EJpkRefused(QStringLiteral("Plik %1 nie został utworzony: %2").arg(fileLabel, reason));
}

void CheckNip(const QString& fileLabel, const TSeller& s)
{
    if (s.Nip.size() != 10)
        Refuse(fileLabel,
               QStringLiteral("NIP firmy (ustawienie U_NIP) musi mieć 10 cyfr, a ma %1.").arg(s.Nip.size()));
}

void CheckKodUS(const QString& fileLabel, const TSeller& s)
{
    static const QRegularExpression fourDigits(QStringLiteral("^\\d{4}$"));
    if (s.KodUS == QLatin1String("0000") || !fourDigits.match(s.KodUS).hasMatch())
        Refuse(fileLabel,
               QStringLiteral("kod urzędu skarbowego (ustawienie U_KodUS) ma wartość \"%1\". Wpisz "
                              "czterocyfrowy kod swojego urzędu skarbowego w danych firmy.")
                   .arg(s.KodUS));
}

void CheckEmail(const QString& fileLabel, const TSeller& s, bool required)
{
    static const QRegularExpression mail(QStringLiteral("^\\S.*@.*\\S$"));
    if (s.Email.isEmpty()) {
        if (required) Refuse(fileLabel, QStringLiteral("brak adresu e-mail do JPK (ustawienie U_EmailJPK)."));
        return;
    }
    if (s.Email.size() < 3 || !mail.match(s.Email).hasMatch())
        Refuse(fileLabel,
               QStringLiteral("adres e-mail \"%1\" (ustawienie U_EmailJPK) jest niepoprawny.").arg(s.Email));
}

void CheckPerson(const QString& fileLabel, const TSeller& s)
{
    if (!s.OsobaFizyczna) return;
    const QDate born = QDate::fromString(s.DataUrodzenia, QStringLiteral("yyyy-MM-dd"));
    if (s.Imie.isEmpty() || s.Nazwisko.isEmpty() || !born.isValid())
        Refuse(fileLabel, QStringLiteral("dane podatnika będącego osobą fizyczną są niepełne (ustawienia "
                                         "ImieJPK, NazwiskoJPK, DataUrodzeniaJPK w formacie rrrr-mm-dd)."));
}

void CheckYearFrom(const QString& fileLabel, const QDate& from, int firstYear)
{
    if (from.year() < firstYear)
        Refuse(fileLabel,
               QStringLiteral("ta struktura dotyczy okresów od %1 roku, a wybrany okres zaczyna się %2.")
                   .arg(firstYear)
                   .arg(iso(from)));
}

// ---------------------------------------------------------------- documents

QString DocumentsSql(TKind kind, const TPeriod& period)
{
    const QString p = Prefix(kind);
    QString cols =
        QStringLiteral("%1INDEX, %1NUMERTXT, %1DATAWYSTAWIENIA, %1NIP, %1User, %1SUMAVAT, %1SUMABRUTTO, "
                       "%1GTU_FP, %1GTU_EE, %1GTU_TP, %1KSEF_NRKSEF, %1KSEF_STATUS, %1ADR_ULICA, "
                       "%1ADR_NRDOMU, %1ADR_NRLOKALU, %1ADR_KOD, %1ADR_MIEJSCOWOSC")
            .arg(p);
    for (const char* c : kFieldColumns)
        cols += QStringLiteral(", ") + p + QLatin1String(c);
    return QStringLiteral("select ") + cols + QStringLiteral(" from ") + ViewName(kind) +
           PeriodWhere(kind, period) + QStringLiteral(" order by %1DATAWYSTAWIENIA, %1NUMER").arg(p);
}

TDocReader::TDocReader(TKind kind, const TPeriod& period) : m_kind(kind)
{
    const QString p = Prefix(kind);
    m_query = GlobalSession()->OpenQuery(DocumentsSql(kind, period), PeriodArgs(period));
    auto f = [&](const char* name) { return m_query->FieldByName(p + QLatin1String(name)); };
    m_index = f("INDEX");
    m_numer = f("NUMERTXT");
    m_date = f("DATAWYSTAWIENIA");
    m_nip = f("NIP");
    m_user = f("User");
    m_vat = f("SUMAVAT");
    m_brutto = f("SUMABRUTTO");
    m_fp = f("GTU_FP");
    m_ee = f("GTU_EE");
    m_tp = f("GTU_TP");
    m_nrKsef = f("KSEF_NRKSEF");
    m_status = f("KSEF_STATUS");
    m_ulica = f("ADR_ULICA");
    m_nrDomu = f("ADR_NRDOMU");
    m_nrLokalu = f("ADR_NRLOKALU");
    m_kod = f("ADR_KOD");
    m_miejscowosc = f("ADR_MIEJSCOWOSC");
    for (int i = 0; i < kFieldCount; ++i)
        m_fields[size_t(i)] = f(kFieldColumns[i]);
}

TDocReader::~TDocReader() = default;

void TDocReader::Rewind()
{
    m_started = false;
}

int TDocReader::Count() const
{
    return m_query->RecordCount();
}

bool TDocReader::Next(TDoc& d, bool amountsOnly)
{
    if (!m_started) {
        m_query->First();
        m_started = true;
    } else {
        m_query->Next();
    }
    if (m_query->Eof()) return false;
    d.Kind = m_kind;
    for (int i = 0; i < kFieldCount; ++i)
        d.Fields[size_t(i)] = m_fields[size_t(i)]->AsCurrency();
    d.SumaVat = m_vat->AsCurrency();
    d.Fp = m_fp->AsInteger() == 1;
    if (amountsOnly) return true;
    d.Index = m_index->AsInteger();
    d.NumerTxt = m_numer->AsString();
    d.Date = m_date->AsString();
    d.Nip = m_nip->AsString();
    d.User = m_user->AsString();
    d.SumaBrutto = m_brutto->AsCurrency();
    d.Ee = m_ee->AsInteger() == 1;
    d.Tp = m_tp->AsInteger() == 1;
    d.NrKsef = m_nrKsef->AsString();
    d.KsefStatus = m_status->AsString();
    d.Ulica = m_ulica->AsString();
    d.NrDomu = m_nrDomu->AsString();
    d.NrLokalu = m_nrLokalu->AsString();
    d.Kod = m_kod->AsString();
    d.Miejscowosc = m_miejscowosc->AsString();
    return true;
}

unsigned TGtuMap::Of(const TDoc& doc) const
{
    const auto& m = doc.Kind == TKind::Invoice ? Invoices : Corrections;
    const auto it = m.find(doc.Index);
    return it == m.end() ? 0u : it->second;
}

TGtuMap ReadGtuCodes(const TPeriod& period)
{
    auto half = [&](TKind kind, const char* kindNo, const char* lines, const char* lp) {
        return QStringLiteral(
                   "select distinct %1, %2INDEXFAKTURA, %2GTU from %3 join %4 on %5INDEX=%2INDEXFAKTURA")
                   .arg(QLatin1String(kindNo), QLatin1String(lp), QLatin1String(lines), TableName(kind),
                        Prefix(kind)) +
               PeriodWhere(kind, period) +
               QStringLiteral(" and %1GTU between 1 and 13").arg(QLatin1String(lp));
    };
    TArgs args = PeriodArgs(period);
    const TArgs second = args;
    args.insert(args.end(), second.begin(), second.end());
    auto q = GlobalSession()->OpenQuery(half(TKind::Invoice, "0", "FvPozycje", "FVP_") +
                                            QStringLiteral(" union all ") +
                                            half(TKind::Correction, "1", "FvkPozycje", "FVKP_"),
                                        args);
    TGtuMap map;
    TField* kind = q->Fields(0);
    TField* doc = q->Fields(1);
    TField* code = q->Fields(2);
    for (q->First(); !q->Eof(); q->Next()) {
        auto& m = kind->AsInteger() == 0 ? map.Invoices : map.Corrections;
        m[doc->AsInteger()] |= 1u << (code->AsInteger() - 1);
    }
    return map;
}

void TDeclaration::Add(const TDoc& doc)
{
    if (doc.Fp) return;
    for (int i = 0; i < kFieldCount; ++i) {
        Fields[size_t(i)] += doc.Fields[size_t(i)];
        (kIsVat[i] ? Vat : Net) += doc.Fields[size_t(i)];
    }
    SumaVat += doc.SumaVat;
}

void TDeclaration::Add(const TDeclaration& o)
{
    for (int i = 0; i < kFieldCount; ++i)
        Fields[size_t(i)] += o.Fields[size_t(i)];
    Net += o.Net;
    Vat += o.Vat;
    SumaVat += o.SumaVat;
}

TDeclaration SumDeclaration(const TPeriod& period, const QDate& from, const QDate& to)
{
    TDeclaration total;
    for (TKind kind : {TKind::Invoice, TKind::Correction}) {
        const QString p = Prefix(kind);
        QString cols = QStringLiteral("sum(%1SUMAVAT)").arg(p);
        for (const char* c : kFieldColumns)
            cols += QStringLiteral(", sum(") + p + QLatin1String(c) + QLatin1Char(')');
        auto q = GlobalSession()->OpenQuery(QStringLiteral("select ") + cols + QStringLiteral(" from ") +
                                                ViewName(kind) + PeriodWhere(kind, period) +
                                                QStringLiteral(" and %1GTU_FP<>1").arg(p),
                                            PeriodArgs(period, from, to));
        TDeclaration d;
        d.SumaVat = q->Fields(0)->AsCurrency();
        for (int i = 0; i < kFieldCount; ++i) {
            d.Fields[size_t(i)] = q->Fields(i + 1)->AsCurrency();
            (kIsVat[i] ? d.Vat : d.Net) += d.Fields[size_t(i)];
        }
        total.Add(d);
    }
    return total;
}

// ---------------------------------------------------------------- formats

QString Number(Amount4 value)
{
    const bool negative = value.raw < 0;
    const quint64 a = negative ? quint64(-(value.raw + 1)) + 1 : quint64(value.raw);
    QString s = QString::number(a / 10000);
    quint64 frac = a % 10000;
    if (frac) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        s += QLatin1Char('.') + f;
    }
    return negative ? QLatin1Char('-') + s : s;
}

QString Fixed2(Amount4 value)
{
    const Amount4 r = value.roundedTo(2);
    const bool negative = r.raw < 0;
    const quint64 a = negative ? quint64(-(r.raw + 1)) + 1 : quint64(r.raw);
    const quint64 whole = a / 10000;
    const QString cents = QStringLiteral("%1").arg((a % 10000) / 100, 2, 10, QLatin1Char('0'));
    return (negative ? QStringLiteral("-") : QString()) + (whole ? QString::number(whole) : QString()) +
           QLatin1Char('.') + cents;
}

qint64 RoundZl(Amount4 value)
{
    return value.raw >= 0 ? (value.raw + 5000) / 10000 : -((-value.raw + 5000) / 10000);
}

QString BuyerNip(const QString& nip)
{
    const QString d = DigitsOnly(nip);
    return d.isEmpty() ? QStringLiteral("brak") : d;
}

QString NowUtc()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char('Z');
}

QString AliasName()
{
    const QString a = CurrentOdbcAlias();
    if (a.isEmpty() || a.compare(QLatin1String("ORLIX4SQL"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Orlix4SQL");
    return a;
}

QString CompanyShortName(int podmiot)
{
    if (podmiot < 2) return QString();
    return GlobalSession()
        ->GetQueryValueAsString(QStringLiteral("select P_SKROT from Podmioty where P_INDEX=:p1"), {podmiot})
        .trimmed();
}

QString Esc(const QString& text)
{
    return XmlEscape(text);
}

// ---------------------------------------------------------------- file

TOutFile::TOutFile(const QString& name)
{
    m_path = ExportFolder;
    if (!m_path.isEmpty() && !m_path.endsWith(QLatin1Char('/')) && !m_path.endsWith(QLatin1Char('\\')))
        m_path += QLatin1Char('/');
    m_path += name;
    m_file.setFileName(m_path);
    m_file.setDirectWriteFallback(false);
    if (!m_file.open(QIODevice::WriteOnly))
        throw std::runtime_error(QStringLiteral("Nie można zapisać pliku \"%1\": %2")
                                     .arg(m_path, m_file.errorString())
                                     .toStdString());
    m_buffer.reserve(1 << 20);
}

void TOutFile::Put(const QString& text)
{
    m_buffer += text.toUtf8();
    if (m_buffer.size() >= (1 << 20)) flush();
}

void TOutFile::Line(const QString& text)
{
    Put(text);
    m_buffer += "\r\n";
}

void TOutFile::flush()
{
    if (m_buffer.isEmpty()) return;
    if (m_file.write(m_buffer) != m_buffer.size())
        throw std::runtime_error(QStringLiteral("Nie można zapisać pliku \"%1\": %2")
                                     .arg(m_path, m_file.errorString())
                                     .toStdString());
    m_buffer.clear();
}

QString TOutFile::Commit()
{
    flush();
    if (!m_file.commit())
        throw std::runtime_error(QStringLiteral("Nie można zapisać pliku \"%1\": %2")
                                     .arg(m_path, m_file.errorString())
                                     .toStdString());
    return m_path;
}

void Mark(const char* name)
{
    Fa3::LogElapsedTimeQuietly(QLatin1String(name));
}

} // namespace Jpk
