#include "printouts/DrukKP.h"

#include "core/DbIni.h"
#include "core/KwotaSlownie.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "printouts/PrintCode93Image.h"

#include <QPainter>
#include <vector>

namespace {

QString str(const TQuery* q, const char* name)
{
    const TField* f = q->FindField(QLatin1String(name));
    return f ? f->AsString() : QString();
}

QString dateText(const TQuery* q, const char* name)
{
    const TField* f = q->FindField(QLatin1String(name));
    const QDate d = f ? f->AsDate() : QDate();
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}

QFont font(double pt, bool bold = false)
{
    return ReportFont(pt, bold);
}

constexpr double kHeaderMm = 6.2;
constexpr int kBodyPx = 670;
constexpr double kCodeX = 123.5;
constexpr int kCodePxW = 386, kCodePxH = 37;

} // namespace

struct TFormDrukKP::Run
{
    TSellerHeader seller;
    QString bankSub, bank, konto;
    bool hideBalance = false;
    bool secondCopy = false;
    QString identifier;
    QImage logo;
};

struct TFormDrukKP::Payment
{
    int index = 0;
    QString numer, dataDodania, dataWplaty, forma, uwagi, operatorName, linkNote;
    Amount4 kwota;
    QString nrKlienta, nazwisko, imie, ulicaNr, kodMiejscowosc;
    QString bankName, account;
    Amount4 saldo, saldoZalegle;
};

TKpCaptions KpCaptions(Amount4 amount)
{
    if (amount.raw < 0)
        return {QStringLiteral("DOWÓD WYPŁATY (KW) nr "), QStringLiteral("Kwota wypłacona"),
                QStringLiteral("Tytuł wypłaty"), QStringLiteral("Data wypłaty")};
    return {QStringLiteral("DOWÓD WPŁATY (KP) nr "), QStringLiteral("Kwota wpłacona"),
            QStringLiteral("Tytuł wpłaty"), QStringLiteral("Data wpłaty")};
}

QString KpPaymentIdentifier(const QString& nowDigits, int oplataIndex)
{
    return nowDigits + QStringLiteral("ID") + QString::number(oplataIndex);
}

TFormDrukKP::TFormDrukKP(QObject* parent)
    : TReportForm(parent), m_qoplaty(std::make_unique<TQuery>()), m_quser(std::make_unique<TQuery>())
{
    m_qoplaty->SetSQL(QStringLiteral("select * from Oplaty where 1=2"));
    m_quser->SetSQL(QStringLiteral("select * from vUserdb where U_INDEX=:O_INDEXUSER"));
    m_quser->SetMasterSource(m_qoplaty.get());
}

TFormDrukKP::~TFormDrukKP() = default;

TFormDrukKP* FormDrukKP()
{
    static TFormDrukKP* form = new TFormDrukKP();
    return form;
}

void TFormDrukKP::AfterPreview()
{
    m_quser->Close();
    m_qoplaty->Close();
}

void PrintKpDocument(int index, bool pdf)
{
    PrintKpDocument(index,
                    ReadIniString(OperatorId,
                                  pdf ? QStringLiteral("DrukarkaPDF") : QStringLiteral("DrukarkaPapier"),
                                  QString()),
                    pdf);
}

void PrintKpDocument(int index, const QString& printerName, bool pdf)
{
    auto* form = FormDrukKP();
    form->PrinterName = printerName;
    form->QOplaty()->SetSQL(QStringLiteral("select * from Oplaty where O_INDEX=") + QString::number(index));
    if (pdf)
        form->PrintDirect();
    else
        form->PrintPreview();
}

void TFormDrukKP::readPayment(Payment& p)
{
    const TQuery* q = m_qoplaty.get();
    p.index = q->FieldByName(QStringLiteral("O_INDEX"))->AsInteger();
    p.numer = str(q, "O_NUMERTXT");
    p.kwota = q->FieldByName(QStringLiteral("O_KWOTA"))->AsCurrency();
    p.dataDodania = dateText(q, "O_DATADODANIA");
    p.dataWplaty = dateText(q, "O_DATAWPLATY");
    p.forma = str(q, "O_FORMAPLATNOSCI");
    p.uwagi = str(q, "O_UWAGI");
    p.operatorName = OperatorFullName(q->FieldByName(QStringLiteral("O_OPERATORID"))->AsInteger());
    const TField* pm = q->FindField(QStringLiteral("O_INDEX_PM"));
    p.linkNote = pm && pm->AsInteger() != 0 ? QStringLiteral("Wpłata powiązana z pozycją PM") : QString();

    // No subscriber row leaves the payer empty and the balance 0.
    const TQuery* u = m_quser.get();
    const bool hasUser = u->Active() && !u->IsEmpty();
    if (hasUser) {
        p.nrKlienta = QStringLiteral("%1").arg(u->FieldByName(QStringLiteral("U_NRKLIENTA"))->AsInteger(), 4,
                                               10, QLatin1Char('0'));
        p.nazwisko = str(u, "U_NAZWISKO");
        p.imie = str(u, "U_IMIE");
        p.ulicaNr = str(u, "vU_ADR_UlicaNrPelny");
        p.kodMiejscowosc = str(u, "U_ADR_KOD") + QLatin1Char(' ') + str(u, "U_ADR_POCZTA");
        p.saldo = u->FieldByName(QStringLiteral("U_SALDO"))->AsCurrency();
        p.saldoZalegle = u->FieldByName(QStringLiteral("U_SALDOZALEGLE"))->AsCurrency();
    }
    // Header lines 7 and 8 follow the payer's own sub-account.
    const QString account = hasUser ? str(u, "U_NRRACHUNKU1") : QString();
    const bool sub = !account.trimmed().isEmpty();
    p.bankName = (!m_run->bankSub.trimmed().isEmpty() && sub) ? m_run->bankSub : m_run->bank;
    p.account = sub ? account : m_run->konto;
}

std::shared_ptr<TReportDocument> TFormDrukKP::BuildReport()
{
    m_qoplaty->Close();
    m_qoplaty->Open();
    if (!m_quser->Active()) m_quser->Open();
    if (!m_qoplaty->IsEmpty())
        SetCurrentPodmiot(m_qoplaty->FieldByName(QStringLiteral("O_PODMIOT"))->AsInteger());

    m_run = std::make_unique<Run>();
    m_run->seller = ReadSellerHeader(QString());
    m_run->bankSub = ReadIniString(0, QStringLiteral("U_NazwaBankuSubkonta"), QString());
    m_run->bank = ReadIniString(0, QStringLiteral("U_NazwaBanku"), QString());
    m_run->konto = ReadIniString(0, QStringLiteral("U_NrKonta"), QString());
    m_run->hideBalance = ReadIniBool(0, QStringLiteral("NieDrukujSalda"), false);
    m_run->secondCopy = ReadIniBool(OperatorId, QStringLiteral("2xWydrukKP"), false);
    m_run->logo = LoadReportPicture(QStringLiteral("mojelogo.jpg"));

    // Every payment of the run, read once: the second copies repeat them.
    std::vector<Payment> payments;
    for (m_qoplaty->First(); !m_qoplaty->Eof(); m_qoplaty->Next()) {
        payments.emplace_back();
        readPayment(payments.back());
    }
    m_run->identifier =
        payments.empty() ? QString() : KpPaymentIdentifier(ReportTitleNow(), payments.front().index);

    TReport report;
    report.Title = DocumentReportTitle(int(payments.size()), QStringLiteral("KP_"),
                                       payments.empty() ? QString() : payments.front().numer,
                                       QStringLiteral("KP_paczka"));
    report.MarginsMm = QMarginsF(10, 5, 10, 5);
    int page = 0;
    report.OnStartPage = [&page](int) { ++page; };
    report.Begin();
    if (!payments.empty()) {
        for (int copy = 0; copy < (m_run->secondCopy ? 2 : 1); ++copy) {
            // Each copy's header prints once, with the first payment's title and number.
            report.PrintBand(kHeaderMm, false, [&](TBandCanvas& c) {
                headerBand(c, payments.front(), page);
                return true;
            });
            for (const Payment& p : payments)
                report.PrintBand(LayoutPx(kBodyPx), false, [&](TBandCanvas& c) {
                    bodyBand(c, p);
                    return true;
                });
        }
    }
    return report.End();
}

void TFormDrukKP::headerBand(TBandCanvas& c, const Payment& first, int page)
{
    const double w = c.width();
    const double lw = c.label(0, 0, KpCaptions(first.kwota).title, font(10, true));
    c.label(lw, 0, first.numer, font(10, true));
    const QString numer = first.numer;
    c.picture(QRectF(kCodeX, 0.3, 50, 5.0), QSize(kCodePxW, kCodePxH),
              [numer](QPainter& p) { DrawCode93Barcode(p, 0, 0, numer, 35); });
    c.text(QRectF(w - 14, 0, 14, 2.6), QStringLiteral("Strona ") + QString::number(page), font(6),
           Qt::AlignRight | Qt::AlignTop);
}

void TFormDrukKP::bodyBand(TBandCanvas& c, const Payment& p)
{
    const double w = c.width();
    const TKpCaptions cap = KpCaptions(p.kwota);

    // Top left: the seller, lines 1..10 with 7 and 8 from the payer's account.
    c.label(0, 1, QStringLiteral("Przyjmujący wpłatę"), font(8));
    const QString lines[10] = {m_run->seller.lines[0],
                               m_run->seller.lines[1],
                               m_run->seller.lines[2],
                               m_run->seller.lines[3],
                               m_run->seller.lines[4],
                               m_run->seller.lines[5],
                               p.bankName,
                               p.account,
                               m_run->seller.lines[8],
                               m_run->seller.lines[9]};
    double y = 4.6;
    for (int i = 0; i < 10; ++i) {
        if (lines[i].trimmed().isEmpty()) continue;
        c.text(QRectF(0, y, 100, 3.9), lines[i], font(i < 2 ? 9 : 8.5, i < 2),
               Qt::AlignLeft | Qt::AlignVCenter);
        y += 3.9;
    }

    // Top right: the issue date and the logo.
    const QRectF dates(w - 74.1, 1, 74.1, 3.6);
    c.text(dates, QStringLiteral("Data wystawienia:"), font(8), Qt::AlignLeft | Qt::AlignTop);
    c.text(dates, p.dataDodania, font(8, true), Qt::AlignRight | Qt::AlignTop);
    c.image(QRectF(w - 74.1, 6, 74.1, 23.8), m_run->logo);

    // 48 mm: the payer, the bank-link note at the right.
    y = 48;
    c.label(0, y, QStringLiteral("Wpłacający"), font(9, true));
    c.label(0, y + 4, QStringLiteral("Nr klienta: ") + p.nrKlienta, font(7.5));
    y += 7.4;
    for (const QString& t : {p.nazwisko + QLatin1Char(' ') + p.imie, p.ulicaNr, p.kodMiejscowosc}) {
        c.text(QRectF(0, y, 110, 3.8), t, font(9), Qt::AlignLeft | Qt::AlignTop);
        y += 3.8;
    }
    if (!p.linkNote.isEmpty())
        c.text(QRectF(w - 74.1, 52, 74.1, 3.8), p.linkNote, font(8, true), Qt::AlignRight | Qt::AlignTop);

    // 70.6 mm: the payment identifier as Code 93 and as text.
    c.hline(0, w, 70.6, 0.3);
    const QString id = m_run->identifier;
    c.picture(QRectF(w - 74.1, 64.2, 74.1, 5.6), QSize(kCodePxW, kCodePxH),
              [id](QPainter& painter) { DrawCode93Barcode(painter, 0, 0, id, 35); });
    c.text(QRectF(w - 74.1, 71, 74.1, 3), id, font(6.5), Qt::AlignHCenter | Qt::AlignTop);

    // 75..90 mm: form, date, title and the amount.
    const double lx = 0, vx = 40;
    auto row = [&](double top, const QString& label, const QString& value) {
        c.label(lx, top, label + QLatin1Char(':'), font(8.5));
        c.text(QRectF(vx, top, w - vx - 60, 3.8), value, font(8.5, true), Qt::AlignLeft | Qt::AlignTop);
    };
    row(75, QStringLiteral("Forma płatności"), p.forma);
    row(79, cap.date, p.dataWplaty);
    row(83, cap.titleOfPayment, p.uwagi);
    c.label(lx, 87.4, cap.amount + QLatin1Char(':'), font(9, true));
    c.text(QRectF(vx, 87, 45, 4.4), FormatMoney(p.kwota) + QStringLiteral(" zł"), font(9, true),
           Qt::AlignRight | Qt::AlignVCenter, Qt::black, QColor(225, 225, 225));

    // 96..114 mm: words, issuer, balance, closing rule.
    c.hline(0, w, 96, 0.3);
    c.memo(0, 97, 120, QStringLiteral("Słownie : ") + AmountInWords(p.kwota), font(8));
    c.label(0, 106, QStringLiteral("Wystawił: ") + p.operatorName, font(7.5));
    if (!m_run->hideBalance) {
        const TBalanceLines b = MakeBalanceLines(p.saldo, p.saldoZalegle, QDate::currentDate());
        c.text(QRectF(w - 100, 101, 100, 3.4), b.first, font(7.5), Qt::AlignRight | Qt::AlignTop);
        if (!b.second.isEmpty()) {
            const double bw = TextWidthMm(font(7.5, true), b.second) + 1.6;
            c.text(QRectF(w - bw, 105, bw, 3.4), b.second, font(7.5, true), Qt::AlignCenter, Qt::black,
                   QColor(192, 192, 192));
        }
    }
    c.hline(0, w, 114, 0.3);
}
