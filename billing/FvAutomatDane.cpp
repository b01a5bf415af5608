#include "billing/FvAutomatDane.h"

#include "billing/Numeracja.h"
#include "billing/Przeliczenia.h"
#include "billing/Rozliczenia.h"
#include "billing/Salda.h"
#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"
#include "core/VatRates.h"

#include <QUuid>
#include <vector>

const QString FvAutomatBusyText =
    QStringLiteral("Obecnie możliwość generowania dokumetów jest zablokowana przez inne stanowisko.");
const QString FvAutomatErrorLogText = QStringLiteral("Błąd podczas automatycznego generowania dokumentów");

namespace {

const QString kZeroDate = QStringLiteral("'0000-00-00'");

QString iso(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

void step(const TFvAutomatCallbacks& cb, int n)
{
    if (cb.step) cb.step(n);
}

// Prefix and suffix around the number of a document of the company and date,
// as the billing core writes them.
std::pair<QString, QString> numberParts(char kind, int podmiot, const QDate& date)
{
    const QString marker = QStringLiteral("\x01");
    const QString text = DocumentNumberText(kind, marker, podmiot, date);
    const int at = text.indexOf(marker);
    return {text.left(at), text.mid(at + marker.size())};
}

// The run's own documents of one kind: a connection-temporary list of their
// keys with their order among themselves. Every statement after the headers
// works on these rows only, so documents that other workstations write
// meanwhile (their keys may fall among ours) are never touched.
struct TOwnDocs
{
    const char* table;  // "Fv"
    const char* prefix; // "FV"
    const char* list;   // "FvAutomatFv"
    int first = 0, last = 0, count = 0;

    QString c(const char* column) const
    {
        return QString::fromLatin1(prefix) + QLatin1Char('_') + QString::fromLatin1(column);
    }
    QString t() const { return QString::fromLatin1(table); }
    QString l() const { return QString::fromLatin1(list); }
    // "join <list> on K=<key>" for a statement over the document table.
    QString join() const { return QStringLiteral(" join %1 on K=%2 ").arg(l(), c("INDEX")); }

    void create(TDedicatedSession* s) const
    {
        drop(s);
        s->ExecQuery(QStringLiteral("create temporary table %1 (K int not null primary key, N int not null) "
                                    "engine=memory")
                         .arg(l()));
    }
    void drop(TDedicatedSession* s) const
    {
        s->ExecQuery(QStringLiteral("drop temporary table if exists %1").arg(l()));
    }
    // The first key the run's rows can get: above every committed one. A read
    // only, so other workstations go on inserting while the run is open.
    void reserve(TDedicatedSession* s)
    {
        first = s->GetQueryValueAsInteger(
                    QStringLiteral("select coalesce(max(%1),0) from %2").arg(c("INDEX"), t())) +
                1;
    }
    // Collects the rows the headers' insert marked with the run's token.
    void collect(TDedicatedSession* s, const QString& token)
    {
        s->ExecQuery(
            QStringLiteral("insert into %1 (K, N) select %2, row_number() over (order by %2) from %3 "
                           "where %2 >= :p1 and %4 = :p2")
                .arg(l(), c("INDEX"), t(), c("NUMERTXT")),
            {first, token});
        auto q = s->OpenQuery(QStringLiteral("select count(*), coalesce(max(K), 0) from %1").arg(l()));
        count = q->Fields(0)->AsInteger();
        last = count > 0 ? q->Fields(1)->AsInteger() : first - 1;
    }
    // Company, number and number text, the numbers following the company's
    // highest one in the order of the rows.
    void number(TDedicatedSession* s, char kind, int podmiot, const QDate& date) const
    {
        if (count == 0) return;
        TNumberReservation nr(kind, date, podmiot, s);
        const auto [prefix, suffix] = numberParts(kind, podmiot, date);
        const int offset = nr.Number() - 1;
        s->ExecQuery(QStringLiteral("update %1%2set %3=:p1, %4=N+:p2, %5=concat(:p3, N+:p4, :p5)")
                         .arg(t(), join(), c("PODMIOT"), c("NUMER"), c("NUMERTXT")),
                     {podmiot, offset, prefix, offset, suffix});
        nr.Release();
    }
    // "<key> between first and last and <key> in the list", for statements on lines.
    QString linesOf(const char* lineKey) const
    {
        const QString k = QString::fromLatin1(lineKey);
        return QStringLiteral("%1 >= :p and %1 <= :p and %1 in (select K from %2)").arg(k, l());
    }
    // Documents paid at issue: cash, due on the issue day, with an individual term.
    void cashPaid(TDedicatedSession* s) const
    {
        s->ExecQuery(
            QStringLiteral("update %1%2join Userdb on U_INDEX=%3 set %4=%5, %6=0, %7=0 where %8=%9 and "
                           "%10 like :p1 and U_CZYINDYWTERMINPLATNOSCI=1")
                .arg(t(), join(), c("INDEXUSER"), c("KWOTAWPLACONA"), c("SUMABRUTTO"),
                     c("KWOTADOROZLICZENIA"), c("KWOTADOZAPLATY"), c("DATAWYSTAWIENIA"), c("DATAPLATNOSCI"))
                .arg(c("FORMAPLATNOSCI")),
            {QStringLiteral("got_w%")});
    }
};

// The eligible-item test of a subscriber's recurring items on D, with the
// group filter G; two placeholders (D, D).
QString itemTest(const QString& g)
{
    return QStringLiteral("UFV_CZYAKTYWNA<>0 %1 and (UFV_DATASTART<=:p or UFV_DATASTART = %2) and "
                          "(UFV_DATAEND>=:p or UFV_DATAEND = %2)")
        .arg(g, kZeroDate);
}

// The billed subscribers of one billing-mode test: positive sum of eligible
// items, active on D. Placeholders: D four times.
QString billedUsers(const QString& w, const QString& mode, const QString& g)
{
    return QStringLiteral(
               " from vUserdb %1 AND %2 AND (select sum(UFV_WARTOSCBRUTTO) from UserFvPozycje where "
               "UFV_INDEXUSER = U_INDEX and %3) > 0 and ((U_DATADEAKTYWACJI = %4) or "
               "(U_DATADEAKTYWACJI > :p)) and (U_DATAAKTYWACJI <= :p) ")
        .arg(w, mode, itemTest(g), kZeroDate);
}

// Invoice sums per VAT group, discount sum and amount chain over the run's
// invoices, from one grouped pass over their lines.
void invoiceTotals(TDedicatedSession* s, const TOwnDocs& fv)
{
    const QStringList& labels = VatRateTexts();
    QString sums, set;
    TArgs args;
    for (int g = 0; g < VatGroupCount; ++g) {
        sums += QStringLiteral("sum(if(FVP_STAWKAVAT_TXT=:p, FVP_WARTOSCNETTO, 0)) as n%1, "
                               "sum(if(FVP_STAWKAVAT_TXT=:p, FVP_WARTOSCBRUTTO, 0)) as b%1, ")
                    .arg(g);
        args.push_back(labels.value(g));
        args.push_back(labels.value(g));
        const QString sfx = VatGroupSuffix(g);
        set += QStringLiteral("FV_SUMANETTO%1=coalesce(s.n%2,0), FV_SUMABRUTTO%1=coalesce(s.b%2,0), "
                              "FV_SUMAVAT%1=coalesce(s.b%2,0)-coalesce(s.n%2,0), ")
                   .arg(sfx)
                   .arg(g);
    }
    QString inGroups;
    for (int g = 0; g < VatGroupCount; ++g)
        inGroups += g ? QStringLiteral(", :p") : QStringLiteral(":p");
    for (int i = 0; i < 2; ++i)
        for (int g = 0; g < VatGroupCount; ++g)
            args.push_back(labels.value(g));
    args.push_back(fv.first);
    args.push_back(fv.last);
    s->ExecQuery(
        QStringLiteral(
            "update Fv%1left join (select FVP_INDEXFAKTURA as k, %2sum(if(FVP_STAWKAVAT_TXT in (%3), "
            "FVP_WARTOSCNETTO, 0)) as n, sum(if(FVP_STAWKAVAT_TXT in (%3), FVP_WARTOSCBRUTTO, 0)) as b, "
            "sum(FVP_RABATKWOTA) as r from FvPozycje where FVP_INDEXFAKTURA >= :p and "
            "FVP_INDEXFAKTURA <= :p group by FVP_INDEXFAKTURA) s on s.k=FV_INDEX set %4"
            "FV_RABATSUMA=coalesce(s.r,0), FV_SUMANETTO=coalesce(s.n,0), "
            "FV_SUMABRUTTO=coalesce(s.b,0), FV_SUMAVAT=coalesce(s.b,0)-coalesce(s.n,0), "
            "FV_KWOTADOZAPLATY=coalesce(s.b,0)-FV_KWOTAWPLACONA, "
            "FV_KWOTADOROZLICZENIA=coalesce(s.b,0)-FV_KWOTAWPLACONA-FV_KWOTAROZLICZONA")
            .arg(fv.join(), sums, inGroups, set),
        args);
}

void demandTotals(TDedicatedSession* s, const TOwnDocs& pz)
{
    s->ExecQuery(QStringLiteral("update Pz%1left join (select PZP_INDEXPZ as k, sum(PZP_WARTOSCBRUTTO) as b, "
                                "sum(PZP_RABATKWOTA) as r from PzPozycje where PZP_INDEXPZ >= :p1 and "
                                "PZP_INDEXPZ <= :p2 group by PZP_INDEXPZ) s on s.k=PZ_INDEX set "
                                "PZ_SUMABRUTTO=coalesce(s.b,0), PZ_RABATSUMA=coalesce(s.r,0), "
                                "PZ_KWOTADOZAPLATY=coalesce(s.b,0)-PZ_KWOTAWPLACONA, "
                                "PZ_KWOTADOROZLICZENIA=coalesce(s.b,0)-PZ_KWOTAWPLACONA-PZ_KWOTAROZLICZONA")
                     .arg(pz.join()),
                 {pz.first, pz.last});
}

// The documents whose subscriber has an open payment: only they can be settled.
struct TToSettle
{
    QString kind;
    int index;
};
std::vector<TToSettle> documentsToSettle(TDedicatedSession* s, const TOwnDocs& fv, const TOwnDocs& pz)
{
    std::vector<TToSettle> out;
    const QString open = QStringLiteral("exists (select 1 from Oplaty where O_INDEXUSER=%1 and "
                                        "O_KWOTADOROZLICZENIA<>0 and O_KWOTA>=0)");
    auto q =
        s->OpenQuery(QStringLiteral("select 0, FV_INDEX from Fv%1where FV_KWOTADOROZLICZENIA>0 and %2 "
                                    "union all select 1, PZ_INDEX from Pz%3where PZ_KWOTADOROZLICZENIA>0 and "
                                    "%4 order by 1, 2")
                         .arg(fv.join(), open.arg(QStringLiteral("FV_INDEXUSER")), pz.join(),
                              open.arg(QStringLiteral("PZ_INDEXUSER"))));
    for (q->First(); !q->Eof(); q->Next())
        out.push_back({q->Fields(0)->AsInteger() == 0 ? QStringLiteral("F") : QStringLiteral("P"),
                       q->Fields(1)->AsInteger()});
    return out;
}

// The documents proper: steps 11 to 29 of the run.
struct TRunTexts
{
    QString place, issuer, suffix, token, w, g, order;
    int podmiot = 0;
};

void makeInvoices(TDedicatedSession* s, const TFvAutomatInput& in, const TRunTexts& x, TOwnDocs& fv,
                  const TFvAutomatCallbacks& cb)
{
    const QString d = iso(in.issueDate);
    step(cb, 11);
    fv.reserve(s);
    step(cb, 12);
    TArgs args{x.place, x.issuer, d, d, iso(in.dueDate), in.paymentForm, 0, OperatorId, x.token};
    for (const QString& label : VatGroupTexts())
        args.push_back(label);
    args.push_back(in.gtuEE ? 1 : 0);
    for (int i = 0; i < 4; ++i)
        args.push_back(d);
    // The subscriber's correspondence data and the GTU mark go in with the
    // header: two more passes over every invoice (and their undo when the
    // operator answers "No") cost a fifth of the run.
    s->ExecQuery(
        InvoiceHeaderInsert(QStringLiteral(", FV_NIP2, FV_KOR_NAZWA, FV_CZYADRESDOKORESP, "
                                           "FV_DATAMODYFIKACJI, FV_KOR_POCZTA, FV_KOR_NRLOKALU, "
                                           "FV_KOR_ULICA, FV_KOR_MIEJSCOWOSC, FV_KOR_KOD, FV_KOR_NRDOMU, "
                                           "FV_KOR_JST, FV_KOR_ROLA, FV_GTU_EE"),
                            QStringLiteral(", U_NIP2, U_KOR_NAZWA, U_CZYADRESDOKORESP, Now(), "
                                           "U_KOR_POCZTA, U_KOR_NRLOKALU, U_KOR_ULICA, "
                                           "U_KOR_MIEJSCOWOSC, U_KOR_KOD, U_KOR_NRDOMU, U_KOR_JST, "
                                           "U_KOR_ROLA, if(U_CZYFIRMA=0, :p, 0)")) +
            billedUsers(x.w, QStringLiteral("U_AUTOMATYCZNEFAKTURY = 1"), x.g) + x.order,
        args);
    step(cb, 13);
    fv.collect(s, x.token);
    step(cb, 14);
    fv.number(s, 'F', x.podmiot, in.issueDate);
    step(cb, 15); // the correspondence data came with the headers
    step(cb, 16);
    s->ExecQuery(QStringLiteral(
                     "insert into FvPozycje (FVP_INDEXFAKTURA, FVP_NAZWAUSLUGI, FVP_ILOSC, "
                     "FVP_JEDNMIARY, FVP_SYMBOL, FVP_STAWKAVAT_TXT, FVP_RABAT, FVP_CENABRUTTO, FVP_GTU)  "
                     "select FV_INDEX, if(UFV_CZYJEDNORAZOWA=0, concat(UFV_NAZWAUSLUGI, :p), "
                     "UFV_NAZWAUSLUGI), UFV_ILOSC, UFV_JEDNMIARY, UFV_SYMBOL, UFV_STAWKAVAT_TXT, UFV_RABAT, "
                     "UFV_CENABRUTTO, UFV_GTU from Fv%1join UserFvPozycje on UFV_INDEXUSER=FV_INDEXUSER "
                     "where %2 order by FV_INDEX, UFV_INDEX")
                     .arg(fv.join(), itemTest(x.g)),
                 {x.suffix, d, d});
    step(cb, 17);
    PrzeliczFVPWhere(fv.linesOf("FVP_INDEXFAKTURA"), {fv.first, fv.last});
    step(cb, 18);
    invoiceTotals(s, fv);
    step(cb, 19);
    fv.cashPaid(s);
    step(cb, 20); // the GTU mark came with the headers
}

void makeDemands(TDedicatedSession* s, const TFvAutomatInput& in, const TRunTexts& x, TOwnDocs& pz,
                 const TFvAutomatCallbacks& cb)
{
    const QString d = iso(in.issueDate);
    step(cb, 21);
    pz.reserve(s);
    step(cb, 22);
    s->ExecQuery(
        QStringLiteral(
            "insert into Pz (PZ_INDEXUSER, PZ_IMIE, PZ_NAZWISKO, PZ_MIEJSCOWOSC, PZ_WYSTAWIL, "
            "PZ_DATAWYSTAWIENIA, PZ_DATAPLATNOSCI, PZ_FORMAPLATNOSCI, PZ_ADR_ULICA,PZ_ADR_MIEJSCOWOSC, "
            "PZ_ADR_KOD, PZ_ADR_NRDOMU, PZ_ADR_NRLOKALU, PZ_KWOTAWPLACONA, PZ_OPERATORID, "
            "PZ_NUMERTXT)  select U_INDEX, U_IMIE, U_NAZWISKO, :p0, :p1, :p2, "
            "if(U_CZYINDYWTERMINPLATNOSCI=1, date_add(:p3, interval U_INDYWTERMINPLATNOSCI day), :p4),  "
            "if(U_CZYINDYWTERMINPLATNOSCI=1, U_INDYWTERMINPLATNOSCIFORMA, :p5), vU_ADR_UlicaPelny, "
            "U_ADR_POCZTA, U_ADR_KOD, U_ADR_NRDOMU, U_ADR_NRLOKALU, :p6, :p7, :p8 ") +
            billedUsers(x.w, QStringLiteral("(U_AUTOMATYCZNEFAKTURY = 2 OR U_AUTOMATYCZNEFAKTURY = 3)"),
                        x.g) +
            x.order,
        {x.place, x.issuer, d, d, iso(in.dueDate), in.paymentForm, 0, OperatorId, x.token, d, d, d, d});
    step(cb, 23);
    pz.collect(s, x.token);
    step(cb, 24);
    pz.number(s, 'P', x.podmiot, in.issueDate);
    step(cb, 25);
    s->ExecQuery(
        QStringLiteral("insert into PzPozycje (PZP_INDEXPZ, PZP_NAZWAUSLUGI, PZP_ILOSC, PZP_JEDNMIARY, "
                       "PZP_SYMBOL, PZP_RABAT, PZP_CENABRUTTO)  select PZ_INDEX, if(UFV_CZYJEDNORAZOWA=0, "
                       "concat(UFV_NAZWAUSLUGI, :p), UFV_NAZWAUSLUGI), UFV_ILOSC, UFV_JEDNMIARY, UFV_SYMBOL, "
                       "UFV_RABAT, UFV_CENABRUTTO from Pz%1join UserFvPozycje on UFV_INDEXUSER=PZ_INDEXUSER "
                       "where %2 order by PZ_INDEX, UFV_INDEX")
            .arg(pz.join(), itemTest(x.g)),
        {x.suffix, d, d});
    step(cb, 26);
    s->ExecQuery(
        QStringLiteral("update PzPozycje set PZP_WARTOSCBRUTTO=PZP_CENABRUTTO * PZP_ILOSC * (1 - "
                       "PZP_RABAT/100), PZP_RABATKWOTA=PZP_CENABRUTTO * PZP_ILOSC * (PZP_RABAT/100) where ") +
            pz.linesOf("PZP_INDEXPZ"),
        {pz.first, pz.last});
    step(cb, 27);
    demandTotals(s, pz);
    step(cb, 28);
    pz.cashPaid(s);
}

int countLines(TDedicatedSession* s, const TOwnDocs& fv, const TOwnDocs& pz)
{
    return s->GetQueryValueAsInteger(
        QStringLiteral("select (select count(*) from FvPozycje%1) + (select count(*) from PzPozycje%2)")
            .arg(QStringLiteral(" join %1 on K=FVP_INDEXFAKTURA").arg(fv.l()),
                 QStringLiteral(" join %1 on K=PZP_INDEXPZ").arg(pz.l())));
}

} // namespace

QString FvAutomatLockName()
{
    return LoadDatabaseUniqueId() + QStringLiteral("fvautomat");
}

TFvAutomatLock::TFvAutomatLock(TDedicatedSession* session) : m_session(session ? session : GlobalSession()) {}

TFvAutomatLock::~TFvAutomatLock()
{
    try {
        Release();
    } catch (...) {
    }
}

bool TFvAutomatLock::Take(bool testFirst)
{
    m_name = FvAutomatLockName();
    if (testFirst &&
        m_session->GetQueryValueAsInteger(QStringLiteral("select IS_FREE_LOCK(:p1)"), {m_name}) == 0)
        return false;
    const QVariant got =
        m_session->OpenQuery(QStringLiteral("select GET_LOCK(:p1, 1)"), {m_name})->Fields(0)->Value();
    m_held = !got.isNull() && got.toInt() == 1;
    return m_held;
}

void TFvAutomatLock::Release()
{
    if (!m_held) return;
    m_held = false;
    m_session->ExecQuery(QStringLiteral("DO RELEASE_LOCK(:p1)"), {m_name});
}

QString FvAutomatServiceSuffix(bool on, int kind, const QDate& issueDate, const QString& text)
{
    if (!on) return QString();
    static const char* const months[] = {"(styczeń)",  "(luty)",        "(marzec)",   "(kwiecień)",
                                         "(maj)",      "(czerwiec)",    "(lipiec)",   "(sierpień)",
                                         "(wrzesień)", "(październik)", "(listopad)", "(grudzień)"};
    switch (kind) {
    case 0:
        return QLatin1Char(' ') + QString::fromUtf8(months[issueDate.month() - 1]);
    case 1:
        return QStringLiteral(" (1-%1.%2.%3)")
            .arg(issueDate.daysInMonth())
            .arg(issueDate.month(), 2, 10, QLatin1Char('0'))
            .arg(issueDate.year());
    case 2:
        return QLatin1Char(' ') + text;
    default:
        return QString();
    }
}

TFvAutomatRemembered ReadFvAutomatRemembered()
{
    TFvAutomatRemembered r;
    r.days = ReadIniInteger(0, QStringLiteral("TFormFvAutomatDni"), 14);
    r.paymentForm = ReadIniString(0, QStringLiteral("TFormFvAutomatComboBox1"), QStringLiteral("przelew"));
    r.addSuffix = ReadIniBool(0, QStringLiteral("TFormFvAutomatCheckBox2"), true);
    r.suffixKind = ReadIniInteger(0, QStringLiteral("TFormFvAutomatRadioGroup1"), 0);
    r.suffixText = ReadIniString(0, QStringLiteral("TFormFvAutomatEdit1"), QString());
    r.gtuEE = ReadIniBool(0, QStringLiteral("TFormFvAutomatCheckBox1"), false);
    return r;
}

void RememberFvAutomatInputs(const TFvAutomatRemembered& r)
{
    try {
        TTransactionGuard t(GlobalSession());
        WriteIniString(0, QStringLiteral("TFormFvAutomatDni"), QString::number(r.days));
        WriteIniString(0, QStringLiteral("TFormFvAutomatComboBox1"), r.paymentForm);
        WriteIniBool(0, QStringLiteral("TFormFvAutomatCheckBox2"), r.addSuffix);
        WriteIniInteger(0, QStringLiteral("TFormFvAutomatRadioGroup1"), r.suffixKind);
        WriteIniString(0, QStringLiteral("TFormFvAutomatEdit1"), r.suffixText);
        WriteIniBool(0, QStringLiteral("TFormFvAutomatCheckBox1"), r.gtuEE);
        t.commit();
    } catch (const std::exception&) {
        // Remembering is a convenience: the run goes on without it.
    }
}

TFvAutomatResult RunFvAutomat(const TFvAutomatInput& in, const TFvAutomatCallbacks& cb)
{
    TFvAutomatResult r;
    TDedicatedSession* s = GlobalSession();
    const auto ask = [&](const QString& text) { return cb.ask ? cb.ask(text) : false; };
    const QString d = iso(in.issueDate);

    step(cb, 1);
    TRunTexts x;
    x.podmiot = s->GetQueryValueAsInteger(QStringLiteral("select P_INDEX from Podmioty where P_SKROT=:p1"),
                                          {in.podmiot});
    step(cb, 2);
    const QString userWhere =
        in.userWhere.trimmed().isEmpty() ? QStringLiteral(" WHERE U_INDEX in (0) ") : in.userWhere;
    x.w = userWhere + QStringLiteral(" AND U_PODMIOT=") + QString::number(x.podmiot);
    x.g = in.group < 0 ? QString() : QStringLiteral(" and UFV_GRUPAUSLUG=%1 ").arg(in.group);
    x.order = in.userOrderBy;

    step(cb, 3);
    if (!ask(QStringLiteral(
            "Operacja generowania dokumentów po zatwierdzeniu jest niemożliwa do wycofania.\r\nAby "
            "w łatwy sposób powrócić do obecnego stanu bazy, zaleca się wykonanie archiwizacji. "
            "\r\nKontynuować?")))
        return r;

    step(cb, 4);
    const QString counted = QStringLiteral(
        " U_AUTOMATYCZNEFAKTURY > 0 AND (select count(*) from UserFvPozycje where UFV_INDEXUSER = U_INDEX) > "
        "0 "
        " and ((U_DATADEAKTYWACJI = :p0) or (U_DATADEAKTYWACJI > :p1)) and (U_DATAAKTYWACJI <= :p2) and "
        "U_POCZEKALNIA<>1 AND U_PODMIOT = :p3 ");
    const TArgs countArgs{QStringLiteral("0000-00-00"), d, d, x.podmiot};
    const int shown = s->GetQueryValueAsInteger(QStringLiteral("select count(*) from vUserdb ") + userWhere +
                                                    QStringLiteral(" AND") + counted,
                                                countArgs);
    const int all =
        s->GetQueryValueAsInteger(QStringLiteral("select count(*) from vUserdb where") + counted, countArgs);
    if (shown != all &&
        !ask(QStringLiteral("Obecne filtrowanie bazy wyklucza z automatycznego generowania dokumentów ") +
             QString::number(all - shown) + QStringLiteral(" użytkowników,") + QStringLiteral("\r\n") +
             QStringLiteral("którzy wg ustawień pownni mieć je wygenerowane automatycznie. ") +
             QStringLiteral("\r\n") + QStringLiteral("Kontynuować?")))
        return r;

    step(cb, 5);
    // Held to the end of the run on every path; a lock that is not ours stops the run.
    TFvAutomatLock lock(s);
    if (!lock.Take(true)) {
        if (cb.error) cb.error(FvAutomatBusyText);
        return r;
    }

    step(cb, 6);
    SetVatRateTexts(in.issueDate);
    step(cb, 7);
    x.place = ReadIniString(0, QStringLiteral("MiejscowoscFV"), QString());
    x.issuer = s->GetQueryValueAsString(
        QStringLiteral("select concat_ws(:p1, OP_IMIE, OP_NAZWISKO) from Operator where OP_INDEX=:p2"),
        {QStringLiteral(" "), OperatorId});
    x.suffix = FvAutomatServiceSuffix(in.addSuffix, in.suffixKind, in.issueDate, in.suffixText);
    // Marks the headers this run inserts until they are collected.
    x.token = QStringLiteral("xxx-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    step(cb, 8);
    RememberFvAutomatInputs({int(in.issueDate.daysTo(in.dueDate)), in.paymentForm, in.addSuffix,
                             in.suffixKind, in.suffixText, in.gtuEE});
    step(cb, 9); // the numbers are taken when the documents are numbered
    step(cb, 10);
    RecalcSaldoBazy();

    TOwnDocs fv{"Fv", "FV", "FvAutomatFv"};
    TOwnDocs pz{"Pz", "PZ", "FvAutomatPz"};
    fv.create(s);
    pz.create(s);
    try {
        {
            // Read committed: the run's statements lock only the rows they write,
            // not the gaps and source rows, so invoices and subscriber edits on
            // other workstations are not held up while the last question waits.
            if (!s->InTransaction())
                s->ExecQuery(QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED"));
            TTransactionGuard t(s);
            makeInvoices(s, in, x, fv, cb);
            makeDemands(s, in, x, pz, cb);
            step(cb, 29);
            // Only the one-off items that went into this run's documents are used up.
            s->ExecQuery(
                QStringLiteral("update UserFvPozycje set UFV_CZYAKTYWNA=0 where UFV_CZYJEDNORAZOWA=1 and "
                               "%1 and UFV_INDEXUSER in (select FV_INDEXUSER from Fv%2union all select "
                               "PZ_INDEXUSER from Pz%3)")
                    .arg(itemTest(x.g), fv.join(), pz.join()),
                {d, d});
            r.ran = true;
            r.invoices = fv.count;
            r.demands = pz.count;
            r.f1 = fv.first;
            r.f2 = fv.last;
            r.p1 = pz.first;
            r.p2 = pz.last;
            r.lines = countLines(s, fv, pz);

            step(cb, 30);
            const std::vector<TToSettle> docs = documentsToSettle(s, fv, pz);
            r.settled = int(docs.size());
            int done = 0;
            if (cb.progress) cb.progress(0, r.settled);
            for (const TToSettle& doc : docs) {
                if (!SettleDocument(doc.kind, doc.index))
                    throw EDatabaseError(QStringLiteral("Nie udało się rozliczyć dokumentu %1 nr %2.")
                                             .arg(doc.kind)
                                             .arg(doc.index));
                if (cb.progress) cb.progress(++done, r.settled);
            }

            step(cb, 31);
            WriteIniInteger(0, QStringLiteral("IndexStartFV"), fv.first);
            WriteIniInteger(0, QStringLiteral("IndexEndFV"), fv.last);
            WriteIniInteger(0, QStringLiteral("IndexStartPZ"), pz.first);
            WriteIniInteger(0, QStringLiteral("IndexEndPZ"), pz.last);
            BeepAsync();

            step(cb, 32);
            const QString counts = QString::number(fv.count) + QStringLiteral(" faktur oraz ") +
                                   QString::number(pz.count) + QStringLiteral(" poleceń zapłaty");
            if (ask(QStringLiteral("Wygenerowano i rozliczono ") + counts + QStringLiteral("\r\n") +
                    QStringLiteral("Czy chcesz zapisać wygenerowane dokumenty?"))) {
                t.commit();
                r.committed = true;
                LogEvent(QStringLiteral("Wygenerowano ") + counts);
            }
        }
        step(cb, 33);
        fv.drop(s);
        pz.drop(s);
        RecalcSaldoBazy();
    } catch (...) {
        // The guard has rolled back; the log line stays, the lock goes with `lock`.
        LogEvent(FvAutomatErrorLogText);
        try {
            fv.drop(s);
            pz.drop(s);
        } catch (...) {
        }
        throw;
    }
    return r;
}

QString InvoiceHeaderInsert(const QString& extraColumns, const QString& extraValues)
{
    return QStringLiteral("insert into Fv (FV_INDEXUSER, FV_IMIE, FV_NAZWISKO, FV_MIEJSCOWOSC, FV_WYSTAWIL, "
                          "FV_DATAWYSTAWIENIA, FV_DATAPLATNOSCI, FV_FORMAPLATNOSCI, FV_ADR_ULICA, "
                          "FV_ADR_MIEJSCOWOSC, FV_ADR_KOD, FV_ADR_NRDOMU, FV_ADR_NRLOKALU, FV_KWOTAWPLACONA, "
                          "FV_OPERATORID, FV_NUMERTXT, FV_OPISVAT_A, FV_OPISVAT_B, FV_OPISVAT_C, "
                          "FV_OPISVAT_D, FV_OPISVAT_G, FV_OPISVAT_NP, FV_OPISVAT, FV_NIP") +
           extraColumns +
           QStringLiteral(
               ")  select U_INDEX, U_IMIE, U_NAZWISKO, :p0, :p1, :p2, "
               "if(U_CZYINDYWTERMINPLATNOSCI=1, date_add(:p3, interval U_INDYWTERMINPLATNOSCI day), "
               ":p4), if(U_CZYINDYWTERMINPLATNOSCI=1, U_INDYWTERMINPLATNOSCIFORMA, :p5), "
               "vU_ADR_UlicaPelny, U_ADR_POCZTA, U_ADR_KOD, U_ADR_NRDOMU, U_ADR_NRLOKALU, :p6, :p7, "
               ":p8, :p9, :p10, :p11, :p12, :p13, :p14, :p15, U_NIP") +
           extraValues;
}
