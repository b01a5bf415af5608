#include "registers/EwidencjaDane.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "ksef/JpkCommon.h"
#include "printouts/ReportEngine.h"
#include "printouts/ReportForm.h"

#include <stdexcept>

namespace {

constexpr double kPageW = 297, kPageH = 210, kLeft = 10, kTop = 8;
constexpr double kContentW = kPageW - 2 * kLeft;
constexpr double kHeaderH = 27, kRowH = 3.4, kFooterRowH = 5.5;
constexpr int kTextColumns = 7;
constexpr int kColumns = kTextColumns + kRegisterSumColumns;
constexpr double kTextWidths[kTextColumns] = {7, 13, 13, 20, 17, 24, 30};

// The footer's twelve columns, in the order of the sums.
const char* const kSumColumns[kRegisterSumColumns] = {
    "SUMANETTO", "SUMANETTO_A", "SUMAVAT_A",   "SUMANETTO_B",  "SUMAVAT_B",  "SUMANETTO_D",
    "SUMAVAT_D", "SUMANETTO_C", "SUMANETTO_G", "SUMANETTO_NP", "SUMABRUTTO", "SUMAVAT"};

double columnX(int i)
{
    double x = 0;
    for (int c = 0; c < i; ++c)
        x += c < kTextColumns ? kTextWidths[c] : 0;
    if (i > kTextColumns) x += (i - kTextColumns) * ((kContentW - x) / kRegisterSumColumns);
    return x;
}

double columnW(int i)
{
    if (i < kTextColumns) return kTextWidths[i];
    return (kContentW - columnX(kTextColumns)) / kRegisterSumColumns;
}

QStringList headings(TRegisterKind kind)
{
    const bool inv = kind == TRegisterKind::Invoices;
    return {QStringLiteral("Lp."),
            inv ? QStringLiteral("Data sprzedaży") : QStringLiteral("Data wystawienia"),
            QStringLiteral("Data pow. obow.podat."),
            QStringLiteral("Numer dokumentu"),
            QStringLiteral("Numer NIP"),
            QStringLiteral("Nabywca"),
            QStringLiteral("Adres nabywcy"),
            inv ? QStringLiteral("Wartość sprzedaży netto") : QStringLiteral("Wartość korekty netto"),
            QStringLiteral("Stawka 23% wartość  netto"),
            QStringLiteral("Stawka 23% VAT"),
            QStringLiteral("Stawka 8% wartość netto"),
            QStringLiteral("Stawka 8% VAT"),
            QStringLiteral("Stawka 5% wartość netto"),
            QStringLiteral("Stawka 5% VAT"),
            QStringLiteral("Stawka 0% sprzedaż krajowa"),
            QStringLiteral("Sprzedaż wolna od podatku"),
            QStringLiteral("Sprzedaż nie podlegaająca opodatkow."),
            inv ? QStringLiteral("Wartość sprzedaży brutto") : QStringLiteral("Wartość korekty brutto"),
            QStringLiteral("Suma podatku VAT")};
}

QString money(Amount4 v)
{
    return FormatMoney(v) + QStringLiteral(" zł");
}

QString prefixOf(TRegisterKind kind)
{
    return kind == TRegisterKind::Invoices ? QStringLiteral("FV_") : QStringLiteral("FVK_");
}

// The statement of a request, its values bound.
QString registerSql(const TRegisterRequest& r, const QString& columns, TArgs& args)
{
    if (!Jpk::IsUserIdList(r.UserIdFilter))
        throw std::invalid_argument("register: the subscriber list is not a list of keys");
    const QString p = prefixOf(r.Kind);
    QString sql =
        QStringLiteral("select ") + columns + QStringLiteral(" from ") +
        (r.Kind == TRegisterKind::Invoices ? QStringLiteral("vFvLista") : QStringLiteral("vFvkLista")) +
        QStringLiteral(" where %1DATAWYSTAWIENIA>=:p1 and %1DATAWYSTAWIENIA<=:p2").arg(p);
    args = {r.DateFrom.toString(Qt::ISODate), r.DateTo.toString(Qt::ISODate)};
    if (!r.UserIdFilter.trimmed().isEmpty())
        sql += QStringLiteral(" and %1INDEXUSER ").arg(p) + r.UserIdFilter.trimmed();
    if (r.PodmiotIndex > 0) {
        sql += QStringLiteral(" and %1PODMIOT=:p3").arg(p);
        args.emplace_back(r.PodmiotIndex);
    }
    return sql;
}

} // namespace

bool RegisterIsEmpty(const TRegisterRequest& request)
{
    TArgs args;
    const QString sql = registerSql(request, QStringLiteral("1"), args);
    return GlobalSession()->IsQueryEmpty(sql + QStringLiteral(" limit 1"), args);
}

QString RegisterMonthText(const QDate& date)
{
    static const char* const names[12] = {"sty", "lut", "mar", "kwi", "maj", "cze",
                                          "lip", "sie", "wrz", "paź", "lis", "gru"};
    if (!date.isValid()) return QString();
    return QString::fromUtf8(names[date.month() - 1]) + QLatin1Char(' ') + QString::number(date.year());
}

struct TRegisterData::TImpl
{
    TRegisterRequest Request;
    std::unique_ptr<TQuery> Query;
    std::vector<TRegisterSums> PageSums;
    std::vector<TRegisterSums> Carried; // sums of the pages before each page
    QString Seller[5];
    TField *DateSale = nullptr, *DateIssue, *Number, *Nip, *Surname, *Name, *Street, *House, *Flat, *Code,
           *Town;
    std::array<TField*, kRegisterSumColumns> Sums{};

    TReportPage layout(int page) const;
    void header(TBandCanvas& c, int page) const;
    void row(TBandCanvas& c, double y, int lp) const;
    void footer(TBandCanvas& c, const TFolio& f) const;
    TFolio folio(int page) const;
};

TRegisterData::TRegisterData(const TRegisterRequest& request) : m(std::make_unique<TImpl>())
{
    m->Request = request;
    if (request.PodmiotIndex > 0) SetCurrentPodmiot(request.PodmiotIndex);
    auto ini = [](const char* key, const char* def = "") {
        return ReadIniString(0, QLatin1String(key), QString::fromUtf8(def));
    };
    m->Seller[0] = ini("U_Nazwa1");
    m->Seller[1] = ini("U_Nazwa2", "Proszę wpisać swoją nazwę firmy");
    m->Seller[2] = SellerStreetLine();
    m->Seller[3] = ini("U_KodPocztowy") + QLatin1Char(' ') + ini("U_Miejscowosc");
    m->Seller[4] = QStringLiteral("NIP ") + ini("U_NIP");

    const QString p = prefixOf(request.Kind);
    QString cols =
        QStringLiteral("%1DATASPRZEDAZY, %1DATAWYSTAWIENIA, %1NUMERTXT, %1NIP, %1NAZWISKO, %1IMIE, "
                       "%1ADR_ULICA, %1ADR_NRDOMU, %1ADR_NRLOKALU, %1ADR_KOD, %1ADR_MIEJSCOWOSC")
            .arg(p);
    for (const char* c : kSumColumns)
        cols += QStringLiteral(", ") + p + QLatin1String(c);
    TArgs args;
    const QString sql =
        registerSql(request, cols, args) + QStringLiteral(" order by %1DATAWYSTAWIENIA, %1NUMER").arg(p);
    m->Query = GlobalSession()->OpenQuery(sql, args);
    auto f = [&](const char* n) { return m->Query->FieldByName(p + QLatin1String(n)); };
    m->DateSale = f("DATASPRZEDAZY");
    m->DateIssue = f("DATAWYSTAWIENIA");
    m->Number = f("NUMERTXT");
    m->Nip = f("NIP");
    m->Surname = f("NAZWISKO");
    m->Name = f("IMIE");
    m->Street = f("ADR_ULICA");
    m->House = f("ADR_NRDOMU");
    m->Flat = f("ADR_NRLOKALU");
    m->Code = f("ADR_KOD");
    m->Town = f("ADR_MIEJSCOWOSC");
    for (int i = 0; i < kRegisterSumColumns; ++i)
        m->Sums[size_t(i)] = f(kSumColumns[i]);

    // The one pass: each page's own sums; carried and running sums follow from them.
    int n = 0;
    for (m->Query->First(); !m->Query->Eof(); m->Query->Next(), ++n) {
        if (n % kRegisterRowsPerPage == 0) m->PageSums.emplace_back();
        TRegisterSums& s = m->PageSums.back();
        for (int i = 0; i < kRegisterSumColumns; ++i)
            s[size_t(i)] += m->Sums[size_t(i)]->AsCurrency();
    }
    if (m->PageSums.empty()) m->PageSums.emplace_back();
    TRegisterSums running{};
    for (const TRegisterSums& page : m->PageSums) {
        m->Carried.push_back(running);
        for (int i = 0; i < kRegisterSumColumns; ++i)
            running[size_t(i)] += page[size_t(i)];
    }
}

TRegisterData::~TRegisterData() = default;

int TRegisterData::RowCount() const
{
    return m->Query->RecordCount();
}

int TRegisterData::PageCount() const
{
    return int(m->PageSums.size());
}

TFolio TRegisterData::Folio(int page) const
{
    return m->folio(page);
}

TFolio TRegisterData::TImpl::folio(int page) const
{
    TFolio f;
    f.Carried = Carried[size_t(page)];
    f.Page = PageSums[size_t(page)];
    for (int i = 0; i < kRegisterSumColumns; ++i)
        f.Total[size_t(i)] = f.Carried[size_t(i)] + f.Page[size_t(i)];
    return f;
}

void TRegisterData::TImpl::header(TBandCanvas& c, int page) const
{
    const QFont seller = ReportFont(6.5);
    for (int i = 0; i < 5; ++i)
        c.label(0, i * 3.0, Seller[i], seller);
    const bool inv = Request.Kind == TRegisterKind::Invoices;
    const QString title =
        inv ? QStringLiteral("EWIDENCJA (REJESTR) SPRZEDAŻY") : QStringLiteral("EWIDENCJA (REJESTR) KOREKT");
    c.text(QRectF(60, 0, kContentW - 120, 5), title, ReportFont(10, true), Qt::AlignHCenter | Qt::AlignTop);
    c.text(QRectF(60, 5.5, kContentW - 120, 4), Request.Comment, ReportFont(7.5),
           Qt::AlignHCenter | Qt::AlignTop);
    QString period = QStringLiteral("(") + Request.DateFrom.toString(Qt::ISODate) + QStringLiteral(" - ") +
                     Request.DateTo.toString(Qt::ISODate) + QLatin1Char(')');
    if (!Request.UserIdFilter.trimmed().isEmpty()) period += QStringLiteral(" + FILTR");
    c.text(QRectF(60, 10, kContentW - 120, 4), period, ReportFont(7.5), Qt::AlignHCenter | Qt::AlignTop);
    c.text(QRectF(kContentW - 40, 0, 40, 4), QStringLiteral("Strona %1").arg(page + 1), ReportFont(7),
           Qt::AlignRight | Qt::AlignTop);
    const QStringList h = headings(Request.Kind);
    const QFont hf = ReportFont(4.6, true);
    for (int i = 0; i < kColumns; ++i) {
        const QRectF r(columnX(i), 17, columnW(i), kHeaderH - 17 - 0.5);
        c.box(r, QColor(235, 235, 235), 0.15);
        c.text(r.adjusted(0.3, 0.2, -0.3, -0.2), h[i], hf, Qt::AlignCenter | Qt::TextWordWrap);
    }
}

void TRegisterData::TImpl::row(TBandCanvas& c, double y, int lp) const
{
    const QFont f = ReportFont(4.8);
    auto cell = [&](int i, const QString& text, int align) {
        c.text(QRectF(columnX(i) + 0.4, y, columnW(i) - 0.8, kRowH), text, f, align | Qt::AlignVCenter);
    };
    const bool inv = Request.Kind == TRegisterKind::Invoices;
    QString first = inv ? DateSale->AsString() : DateIssue->AsString();
    if (inv && Request.DateAsMonth) first = RegisterMonthText(DateSale->AsDate());
    QString address = Street->AsString() + QLatin1Char(' ') + House->AsString();
    if (!Flat->AsString().isEmpty()) address += QLatin1Char('/') + Flat->AsString();
    address += QLatin1Char(' ') + Code->AsString() + QLatin1Char(' ') + Town->AsString();
    cell(0, QString::number(lp), Qt::AlignRight);
    cell(1, first, Qt::AlignLeft);
    cell(2, DateIssue->AsString(), Qt::AlignLeft);
    cell(3, Number->AsString(), Qt::AlignLeft);
    cell(4, Nip->AsString(), Qt::AlignLeft);
    cell(5, Surname->AsString() + QLatin1Char(' ') + Name->AsString(), Qt::AlignLeft);
    cell(6, address, Qt::AlignLeft);
    for (int i = 0; i < kRegisterSumColumns; ++i)
        cell(kTextColumns + i, money(Sums[size_t(i)]->AsCurrency()), Qt::AlignRight);
    c.hline(0, kContentW, y + kRowH, 0.1);
}

void TRegisterData::TImpl::footer(TBandCanvas& c, const TFolio& f) const
{
    const QFont label = ReportFont(6, true);
    const QFont amount = ReportFont(4.6);
    const std::pair<const char*, const TRegisterSums*> rows[] = {
        {"SUMA FOLIO", &f.Page}, {"PRZENIESIENIE Z FOLIO", &f.Carried}, {"RAZEM", &f.Total}};
    double y = 0;
    for (const auto& [text, sums] : rows) {
        c.text(QRectF(0, y, columnX(kTextColumns) - 2, kFooterRowH), QString::fromUtf8(text), label,
               Qt::AlignRight | Qt::AlignVCenter);
        for (int i = 0; i < kRegisterSumColumns; ++i) {
            const QRectF r(columnX(kTextColumns + i), y, columnW(kTextColumns + i), kFooterRowH);
            c.box(r, QColor(), 0.15);
            c.text(r.adjusted(0.3, 0, -0.3, 0), money((*sums)[size_t(i)]), amount,
                   Qt::AlignRight | Qt::AlignVCenter | Qt::TextWordWrap);
        }
        y += kFooterRowH;
    }
}

TReportPage TRegisterData::TImpl::layout(int page) const
{
    TReportPage out;
    auto place = [&](TBandCanvas& c, double y) {
        for (TReportItem& it : c.items) {
            it.rect.translate(kLeft, kTop + y);
            out.items.push_back(std::move(it));
        }
    };
    TBandCanvas head(kContentW);
    header(head, page);
    place(head, 0);
    TBandCanvas body(kContentW);
    const int first = page * kRegisterRowsPerPage;
    const int last = std::min(Query->RecordCount(), first + kRegisterRowsPerPage);
    for (int i = first; i < last; ++i) {
        Query->SetRecNo(i + 1);
        row(body, (i - first) * kRowH, i + 1);
    }
    place(body, kHeaderH);
    TBandCanvas foot(kContentW);
    footer(foot, folio(page));
    place(foot, kHeaderH + kRegisterRowsPerPage * kRowH + 2);
    return out;
}

std::shared_ptr<TReportDocument> TRegisterData::Document(std::shared_ptr<TRegisterData> data,
                                                         const QString& title)
{
    auto doc = std::make_shared<TReportDocument>();
    doc->title = title;
    doc->pageSizeMm = QSizeF(kPageW, kPageH);
    doc->sourcePageCount = data->PageCount();
    doc->pageSource = [data](int page) { return data->m->layout(page); };
    return doc;
}
