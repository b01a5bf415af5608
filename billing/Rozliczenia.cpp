#include "billing/Rozliczenia.h"

#include "billing/Numeracja.h"
#include "billing/Salda.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QDate>
#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace {

struct TDocKind
{
    char letter;
    const char* table;  // "Fv"
    const char* prefix; // "FV"
};

const TDocKind kKinds[] = {{'F', "Fv", "FV"}, {'K', "Fvk", "FVK"}, {'P', "Pz", "PZ"}};

const TDocKind* docKind(const QString& kind)
{
    for (const TDocKind& k : kKinds)
        if (kind == QLatin1Char(k.letter)) return &k;
    return nullptr;
}

const TDocKind& docKind(char letter)
{
    for (const TDocKind& k : kKinds)
        if (k.letter == letter) return k;
    return kKinds[0];
}

QString c(const TDocKind& k, const char* column)
{
    return QString::fromLatin1(k.prefix) + QLatin1Char('_') + QString::fromLatin1(column);
}

QString dateText(const QDate& d)
{
    return d.isValid() ? d.toString(Qt::ISODate) : QStringLiteral("0000-00-00");
}

int lateness(const QDate& due, const QDate& settled)
{
    const qint64 days = due.daysTo(settled);
    return days < 1 ? 0 : int(days);
}

// A link about to be written.
struct TLink
{
    int oplata;
    int doc;
    char kind;
    Amount4 amount;
    QDate due;
    QString number;
    QDate settled; // the payment's date
    int late;
};

// One statement for all new links of a step.
void insertLinks(const std::vector<TLink>& links)
{
    if (links.empty()) return;
    QString sql = QStringLiteral("insert OplatyRozliczenia(OR_INDEXOPLATY, OR_INDEXDOC, OR_RODZAJDOC, "
                                 "OR_KWOTAROZLICZONA, OR_DATADODANIA, OR_SPOZNIENIE, OR_OPERATORID, "
                                 "OR_DATAPLATNOSCIDOC, OR_NUMERDOCTXT, OR_DATAROZLICZENIA) values ");
    TArgs args;
    const QString today = dateText(QDate::currentDate());
    for (size_t i = 0; i < links.size(); ++i) {
        const TLink& l = links[i];
        sql += (i ? QStringLiteral(", ") : QString()) +
               QStringLiteral("(:p, :p, :p, :p, :p, :p, :p, :p, :p, :p)");
        args.insert(args.end(), {l.oplata, l.doc, QString(QLatin1Char(l.kind)), l.amount, today, l.late,
                                 OperatorId, dateText(l.due), l.number, dateText(l.settled)});
    }
    GlobalSession()->ExecQuery(sql, args);
}

// "case KEY when :p then :p ... else 0 end" over several rows in one statement:
// the when-list, the key list for the where clause, and their arguments in order.
struct TCaseByIndex
{
    QString cases;
    QString keys;
    TArgs args;
};

TCaseByIndex caseByIndex(const std::map<int, Amount4>& deltas)
{
    TCaseByIndex out;
    TArgs keyArgs;
    for (const auto& [index, delta] : deltas) {
        out.cases += QStringLiteral(" when :p then :p");
        out.args.insert(out.args.end(), {index, delta});
        out.keys += (out.keys.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral(":p");
        keyArgs.push_back(index);
    }
    out.args.insert(out.args.end(), keyArgs.begin(), keyArgs.end());
    return out;
}

// Adds a delta to the open amounts of several documents of one kind, keeping
// the settled amount in step in the same statement.
void addToDocsOpen(const TDocKind& k, const std::map<int, Amount4>& deltas)
{
    if (deltas.empty()) return;
    const TCaseByIndex u = caseByIndex(deltas);
    const QString open = c(k, "KWOTADOROZLICZENIA");
    const QString key = c(k, "INDEX");
    GlobalSession()->ExecQuery(
        QStringLiteral("update %1 set %2=%2+(case %3%4 else 0 end), %5=%6-%2 where %3 in (%7)")
            .arg(QString::fromLatin1(k.table), open, key, u.cases, c(k, "KWOTAROZLICZONA"),
                 c(k, "KWOTADOZAPLATY"), u.keys),
        u.args);
}

// The same for payments' open amounts.
void addToOplatyOpen(const std::map<int, Amount4>& deltas)
{
    if (deltas.empty()) return;
    const TCaseByIndex u = caseByIndex(deltas);
    GlobalSession()->ExecQuery(
        QStringLiteral("update Oplaty set O_KWOTADOROZLICZENIA=O_KWOTADOROZLICZENIA+(case "
                       "O_INDEX%1 else 0 end) where O_INDEX in (%2)")
            .arg(u.cases, u.keys),
        u.args);
}

// An existing link and what a withdrawal takes from it.
struct TOldLink
{
    int index;
    int oplata;
    int doc;
    char kind;
    Amount4 amount;
};

// Withdraws up to `amount` from the links, in the order given (newest first):
// links are zeroed or lowered, payments and documents get their open amounts
// back, zeroed links are deleted.
void withdrawLinks(const std::vector<TOldLink>& links, Amount4 amount)
{
    std::map<int, Amount4> linkCut, oplatyBack;
    std::map<char, std::map<int, Amount4>> docsBack;
    for (const TOldLink& l : links) {
        if (amount.isZero()) break;
        Amount4 step;
        if (amount > l.amount) {
            step = l.amount;
            amount -= step;
        } else {
            step = amount;
            amount = Amount4{};
        }
        linkCut[l.index] += step;
        oplatyBack[l.oplata] += step;
        docsBack[l.kind][l.doc] += step;
    }
    if (linkCut.empty()) return;
    const TCaseByIndex u = caseByIndex(linkCut);
    GlobalSession()->ExecQuery(
        QStringLiteral("update OplatyRozliczenia set OR_KWOTAROZLICZONA=OR_KWOTAROZLICZONA-(case "
                       "OR_INDEX%1 else 0 end) where OR_INDEX in (%2)")
            .arg(u.cases, u.keys),
        u.args);
    addToOplatyOpen(oplatyBack);
    for (const auto& [kind, deltas] : docsBack)
        addToDocsOpen(docKind(kind), deltas);
    GlobalSession()->ExecQuery(QStringLiteral("delete from OplatyRozliczenia where OR_KWOTAROZLICZONA=0"));
}

std::vector<TOldLink> readLinks(const QString& sql, const TArgs& args)
{
    std::vector<TOldLink> out;
    auto q = GlobalSession()->OpenQuery(sql, args);
    for (q->First(); !q->Eof(); q->Next()) {
        const QString kind = q->Fields(3)->AsString();
        out.push_back({q->Fields(0)->AsInteger(), q->Fields(1)->AsInteger(), q->Fields(2)->AsInteger(),
                       kind.isEmpty() ? 'F' : kind.at(0).toLatin1(), q->Fields(4)->AsCurrency()});
    }
    return out;
}

struct TOpenDoc
{
    int index;
    Amount4 open;
    QDate due; // invalid when the document has none
    QString number;
    qint64 order; // due date as a day number; no due date is the most overdue of all
};

// A subscriber's open documents of the three kinds, each list oldest due first.
struct TOpenDocs
{
    std::vector<TOpenDoc> docs[3];
    size_t head[3] = {0, 0, 0};
};

TOpenDocs loadOpenDocs(int userIndex)
{
    TOpenDocs d;
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral(
            "select 0, FV_INDEX, FV_KWOTADOROZLICZENIA, FV_DATAPLATNOSCI, FV_NUMERTXT from Fv where "
            "FV_INDEXUSER=:p1 and FV_KWOTADOROZLICZENIA > 0 union all "
            "select 1, FVK_INDEX, FVK_KWOTADOROZLICZENIA, FVK_DATAPLATNOSCI, FVK_NUMERTXT from Fvk where "
            "FVK_INDEXUSER=:p2 and FVK_KWOTADOROZLICZENIA > 0 union all "
            "select 2, PZ_INDEX, PZ_KWOTADOROZLICZENIA, PZ_DATAPLATNOSCI, PZ_NUMERTXT from Pz where "
            "PZ_INDEXUSER=:p3 and PZ_KWOTADOROZLICZENIA > 0"),
        {userIndex, userIndex, userIndex});
    // A document without a due date comes before every dated one, as the
    // balance counts it overdue since ever; payments must reach it first.
    const qint64 undated = std::numeric_limits<qint64>::min();
    for (q->First(); !q->Eof(); q->Next()) {
        const QDate due = q->Fields(3)->AsDate();
        d.docs[q->Fields(0)->AsInteger()].push_back({q->Fields(1)->AsInteger(), q->Fields(2)->AsCurrency(),
                                                     due, q->Fields(4)->AsString(),
                                                     due.isValid() ? due.toJulianDay() : undated});
    }
    for (auto& list : d.docs)
        std::sort(list.begin(), list.end(), [](const TOpenDoc& a, const TOpenDoc& b) {
            return a.order != b.order ? a.order < b.order : a.index < b.index;
        });
    return d;
}

// What spreading payments will write.
struct TSpread
{
    std::vector<TLink> links;
    std::map<int, Amount4> docTaken[3];
    std::map<int, Amount4> oplataTaken;
};

// Spreads an open amount over the documents in rounds: the kinds whose oldest
// open documents are equally overdue, the most overdue of all, are served in
// the order F, K, P, one document each. Returns what is left (a credit).
Amount4 spreadOver(TOpenDocs& d, int oplataIndex, Amount4 remaining, const QDate& paid, TSpread& out)
{
    const Amount4 zero;
    while (remaining > zero) {
        qint64 oldest = 0;
        bool any = false;
        for (int k = 0; k < 3; ++k)
            if (d.head[k] < d.docs[k].size() && (!any || d.docs[k][d.head[k]].order < oldest)) {
                oldest = d.docs[k][d.head[k]].order;
                any = true;
            }
        if (!any) break; // nothing open: the rest stays on the payment as credit
        for (int k = 0; k < 3 && remaining > zero; ++k) {
            if (d.head[k] >= d.docs[k].size() || d.docs[k][d.head[k]].order != oldest) continue;
            TOpenDoc& doc = d.docs[k][d.head[k]];
            const QDate due = doc.due.isValid() ? doc.due : QDate::currentDate();
            Amount4 step;
            if (remaining > doc.open) {
                step = doc.open;
                remaining -= step;
            } else {
                step = remaining;
                remaining = zero;
            }
            doc.open -= step;
            if (doc.open <= zero) ++d.head[k];
            out.links.push_back(
                {oplataIndex, doc.index, kKinds[k].letter, step, due, doc.number, paid, lateness(due, paid)});
            out.docTaken[k][doc.index] -= step;
            out.oplataTaken[oplataIndex] -= step;
        }
    }
    return remaining;
}

void writeSpread(const TSpread& s)
{
    if (s.links.empty()) return;
    insertLinks(s.links);
    for (int k = 0; k < 3; ++k)
        addToDocsOpen(kKinds[k], s.docTaken[k]);
    addToOplatyOpen(s.oplataTaken);
}

bool settleOplata(int oplataIndex, int userIndex, const QString& mode, bool recalc)
{
    auto q = GlobalSession()->OpenQuery(
        QStringLiteral("select O_KWOTADOROZLICZENIA, O_DATAWPLATY, O_KWOTA from Oplaty where O_INDEX=:p1"),
        {oplataIndex});
    if (q->IsEmpty()) return true;
    const Amount4 open = q->Fields(0)->AsCurrency();
    const QDate paid = q->Fields(1)->AsDate();
    const Amount4 zero;
    // A payout pays no document and takes nothing back: it counts in the balance on its own.
    if (q->Fields(2)->AsCurrency() < zero) return true;
    if (open > zero) {
        TOpenDocs docs = loadOpenDocs(userIndex);
        TSpread spread;
        const Amount4 left = spreadOver(docs, oplataIndex, open, paid, spread);
        writeSpread(spread);
        if (recalc && (mode != QLatin1String("PM") || left > zero)) RecalcUserSaldo(userIndex);
    } else if (open < zero) {
        withdrawLinks(readLinks(QStringLiteral("select OR_INDEX, OR_INDEXOPLATY, OR_INDEXDOC, OR_RODZAJDOC, "
                                               "OR_KWOTAROZLICZONA from OplatyRozliczenia where "
                                               "OR_INDEXOPLATY=:p1 order by OR_INDEX desc"),
                                {oplataIndex}),
                      open.abs());
        if (recalc) RecalcUserSaldo(userIndex);
    }
    return true;
}

// Owner, open amount, due date and number text of a document.
struct TDocHead
{
    int owner = 0;
    Amount4 open;
    QDate due;
    QString number;
    bool found = false;
};

TDocHead readDocHead(const TDocKind& k, int docIndex)
{
    TDocHead h;
    auto q = GlobalSession()->OpenQuery(QStringLiteral("select %1, %2, %3, %4 from %5 where %6=:p1")
                                            .arg(c(k, "INDEXUSER"), c(k, "KWOTADOROZLICZENIA"),
                                                 c(k, "DATAPLATNOSCI"), c(k, "NUMERTXT"),
                                                 QString::fromLatin1(k.table), c(k, "INDEX")),
                                        {docIndex});
    if (q->IsEmpty()) return h;
    h.found = true;
    const int user = q->Fields(0)->AsInteger();
    // The owner must exist as a subscriber.
    h.owner = GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select U_INDEX from Userdb where U_INDEX=:p1"), {user});
    h.open = q->Fields(1)->AsCurrency();
    h.due = q->Fields(2)->AsDate();
    h.number = q->Fields(3)->AsString();
    return h;
}

bool unsettleDocument(const TDocKind& k, int docIndex);

void settleUserOplaty(int userIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto q =
        s->OpenQuery(QStringLiteral("select O_INDEX, O_KWOTADOROZLICZENIA, O_DATAWPLATY from Oplaty where "
                                    "O_KWOTADOROZLICZENIA <>0 and O_KWOTA>=0 and O_INDEXUSER=:p1 order by "
                                    "O_DATAWPLATY, O_INDEX"),
                     {userIndex});
    if (q->IsEmpty()) return;
    struct TPayment
    {
        int index;
        Amount4 open;
        QDate paid;
    };
    std::vector<TPayment> payments;
    bool withdrawals = false;
    for (q->First(); !q->Eof(); q->Next()) {
        payments.push_back({q->Fields(0)->AsInteger(), q->Fields(1)->AsCurrency(), q->Fields(2)->AsDate()});
        withdrawals = withdrawals || payments.back().open < Amount4{};
    }
    if (withdrawals) {
        // A withdrawal changes links and documents the next payments depend on: one payment at a time.
        for (const TPayment& p : payments)
            settleOplata(p.index, userIndex, QString(), false);
    } else {
        // Payment after payment, oldest first, over one picture of the open documents,
        // written in one go: the same links the one-at-a-time walk writes.
        TOpenDocs docs = loadOpenDocs(userIndex);
        TSpread spread;
        for (const TPayment& p : payments)
            spreadOver(docs, p.index, p.open, p.paid, spread);
        writeSpread(spread);
    }
    RecalcUserSaldo(userIndex);
}

bool settleDocument(const TDocKind& k, int docIndex)
{
    TDedicatedSession* s = GlobalSession();
    TDocHead h = readDocHead(k, docIndex);
    if (!h.found) return true;
    const Amount4 zero;
    if (h.open > zero) {
        auto q = s->OpenQuery(
            QStringLiteral("select O_INDEX, O_KWOTADOROZLICZENIA, O_DATAWPLATY from Oplaty where "
                           "O_INDEXUSER=:p1 and O_KWOTADOROZLICZENIA<>0 and O_KWOTA>=0 order by "
                           "O_DATAWPLATY, O_INDEX"),
            {h.owner});
        std::vector<TLink> links;
        std::map<int, Amount4> taken;
        Amount4 docOpen = h.open;
        for (q->First(); !q->Eof() && !docOpen.isZero(); q->Next()) {
            const Amount4 payOpen = q->Fields(1)->AsCurrency();
            Amount4 step;
            if (docOpen > payOpen) {
                step = payOpen;
                docOpen -= step;
            } else {
                step = docOpen;
                docOpen = zero;
            }
            // Lateness needs the document's due date.
            if (!h.due.isValid()) return false;
            const QDate paid = q->Fields(2)->AsDate();
            const int oplata = q->Fields(0)->AsInteger();
            links.push_back({oplata, docIndex, k.letter, step, h.due, h.number, paid, lateness(h.due, paid)});
            taken[oplata] -= step;
        }
        if (!links.empty()) {
            insertLinks(links);
            addToOplatyOpen(taken);
            addToDocsOpen(k, {{docIndex, docOpen - h.open}});
        }
        h.open = docOpen;
    }
    if (h.open < zero && k.letter == 'K') {
        // A correction that lowers its invoice: the invoice is paid afresh at its lower amount.
        const int fv = s->GetQueryValueAsInteger(
            QStringLiteral("select FVK_INDEXKORYGOWANEJ from Fvk where FVK_INDEX=:p1"), {docIndex});
        if (!unsettleDocument(docKind('F'), fv)) return false;
        addToDocsOpen(docKind('F'), {{fv, -h.open.abs()}});
        s->ExecQuery(QStringLiteral(
                         "update Fvk set FVK_KWOTADOROZLICZENIA=0, "
                         "FVK_KWOTAROZLICZONA=FVK_KWOTADOZAPLATY-FVK_KWOTADOROZLICZENIA where FVK_INDEX=:p1"),
                     {docIndex});
        RecalcUserSaldoAndCache(h.owner);
        settleUserOplaty(h.owner);
        RecalcUserSaldoAndCache(h.owner);
    }
    return true;
}

bool unsettleDocument(const TDocKind& k, int docIndex)
{
    TDedicatedSession* s = GlobalSession();
    auto q = s->OpenQuery(QStringLiteral("select %1 from %2 where %3=:p1")
                              .arg(c(k, "KWOTAROZLICZONA"), QString::fromLatin1(k.table), c(k, "INDEX")),
                          {docIndex});
    if (q->IsEmpty()) return true;
    const Amount4 settled = q->Fields(0)->AsCurrency();
    const Amount4 zero;
    const QString kind = QString(QLatin1Char(k.letter));
    if (settled > zero) {
        withdrawLinks(
            readLinks(QStringLiteral("select OR_INDEX, OR_INDEXOPLATY, OR_INDEXDOC, OR_RODZAJDOC, "
                                     "OR_KWOTAROZLICZONA from OplatyRozliczenia where OR_INDEXDOC=:p1 and "
                                     "OR_RODZAJDOC=:p2 order by OR_INDEX desc"),
                      {docIndex, kind}),
            settled);
    } else if (settled < zero && k.letter == 'K') {
        const int owner =
            s->GetQueryValueAsInteger(QStringLiteral("select U_INDEX from Userdb where U_INDEX=(select "
                                                     "FVK_INDEXUSER from Fvk where FVK_INDEX=:p1)"),
                                      {docIndex});
        const int fv = s->GetQueryValueAsInteger(
            QStringLiteral("select FVK_INDEXKORYGOWANEJ from Fvk where FVK_INDEX=:p1"), {docIndex});
        if (!unsettleDocument(docKind('F'), fv)) return false;
        addToDocsOpen(docKind('F'), {{fv, settled.abs()}});
        s->ExecQuery(QStringLiteral(
                         "update Fvk set FVK_KWOTADOROZLICZENIA=:p1, "
                         "FVK_KWOTAROZLICZONA=FVK_KWOTADOZAPLATY-FVK_KWOTADOROZLICZENIA where FVK_INDEX=:p2"),
                     {settled, docIndex});
        RecalcUserSaldoAndCache(owner);
        settleUserOplaty(owner);
        RecalcUserSaldoAndCache(owner);
    }
    return true;
}

// One operation of the engine as a savepoint of the caller's transaction (or
// a transaction of its own when none is open): a failed statement undoes the
// operation's writes and the error goes on to the caller, whose guard undoes
// the rest; a refusal (false) leaves nothing written either.
template <class F> bool atomically(F&& f)
{
    TTransactionGuard tx(GlobalSession());
    const bool ok = f();
    if (ok) tx.commit();
    return ok;
}

} // namespace

int SettlementLateness(const QString& dueDate, const QString& settlementDate)
{
    return lateness(QDate::fromString(dueDate, Qt::ISODate), QDate::fromString(settlementDate, Qt::ISODate));
}

bool SettleOplataKind(int oplataIndex, int userIndex, const QString& mode)
{
    return atomically([&] { return settleOplata(oplataIndex, userIndex, mode, true); });
}

bool SettleOplata(int oplataIndex, int userIndex)
{
    return SettleOplataKind(oplataIndex, userIndex, QString());
}

bool SettleUserOplaty(int userIndex)
{
    return atomically([&] {
        settleUserOplaty(userIndex);
        return true;
    });
}

bool SettleDocument(const QString& kind, int docIndex)
{
    const TDocKind* k = docKind(kind);
    if (!k) return false;
    return atomically([&] { return settleDocument(*k, docIndex); });
}

bool UnsettleDocument(const QString& kind, int docIndex)
{
    const TDocKind* k = docKind(kind);
    if (!k) return false;
    return atomically([&] { return unsettleDocument(*k, docIndex); });
}

bool PayDocument(const QString& kind, int docIndex, const QString& paymentForm, const QString& paymentDate,
                 Amount4 amount)
{
    const TDocKind* k = docKind(kind);
    if (!k) return false;
    return atomically([&] {
        const TDocHead h = readDocHead(*k, docIndex);
        if (!h.found || amount > h.open) return false;
        const QDate paid = QDate::fromString(paymentDate, Qt::ISODate);
        if (!paid.isValid() || !h.due.isValid()) return false;
        const int late = lateness(h.due, paid);
        // Numbered and stored in the subscriber's company, as every payment writer does.
        TDedicatedSession* s = GlobalSession();
        const int podmiot = PodmiotOfUser(h.owner);
        TNumberReservation nr('O', paid, podmiot, s);
        s->ExecQuery(QStringLiteral(
                         "insert Oplaty(O_INDEXUSER, O_UWAGI, O_KWOTA, O_DATAWPLATY, O_FORMAPLATNOSCI, "
                         "O_KWOTADOROZLICZENIA, O_OPERATORID, O_NUMER, O_NUMERTXT, O_DATADODANIA, O_PODMIOT) "
                         "values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, :p10, :p11)"),
                     {h.owner, QStringLiteral("Rozliczenie wskazanego dokumentu ") + h.number, amount,
                      dateText(paid), paymentForm, Amount4{}, OperatorId, nr.Number(),
                      OplataNumberText(nr.Number(), podmiot, paid), dateText(QDate::currentDate()), podmiot});
        const int oplata = s->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
        nr.Release();
        s->ExecQuery(
            QStringLiteral("insert OplatyRozliczenia(OR_INDEXOPLATY, OR_INDEXDOC, OR_RODZAJDOC, "
                           "OR_KWOTAROZLICZONA, OR_DATADODANIA, OR_SPOZNIENIE, OR_OPERATORID, "
                           "OR_DATAPLATNOSCIDOC, OR_NUMERDOCTXT) values (:p1, :p2, :p3, :p4, :p5, :p6, :p7, "
                           ":p8, :p9)"),
            {oplata, docIndex, kind, amount, dateText(paid), late, OperatorId, dateText(h.due), h.number});
        addToDocsOpen(*k, {{docIndex, -amount}});
        return true;
    });
}
