#include "printouts/DrukFv.h"

#include "core/DbIni.h"
#include "core/KwotaSlownie.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "printouts/DrukFvStan.h"
#include "printouts/DrukFvUklad.h"
#include "printouts/PrintCode93Image.h"

#include <QFile>
#include <QLocale>
#include <QPainter>

using namespace DrukFvUklad;

namespace {

QString str(const TQuery* q, const char* name)
{
    const TField* f = q->FindField(QLatin1String(name));
    return f ? f->AsString() : QString();
}

Amount4 money(const TQuery* q, const char* name)
{
    const TField* f = q->FindField(QLatin1String(name));
    return f ? f->AsCurrency() : Amount4{};
}

int integer(const TQuery* q, const char* name)
{
    const TField* f = q->FindField(QLatin1String(name));
    return f ? f->AsInteger() : 0;
}

QDate date(const TQuery* q, const char* name)
{
    const TField* f = q->FindField(QLatin1String(name));
    return f ? f->AsDate() : QDate();
}

QString ini0(const char* key, const QString& def = QString())
{
    return ReadIniString(0, QString::fromLatin1(key), def);
}

} // namespace

TFormDrukFv::TFormDrukFv(QObject* parent)
    : TReportForm(parent), m_qfv(std::make_unique<TQuery>()), m_qpoz(std::make_unique<TQuery>()),
      m_quser(std::make_unique<TQuery>())
{
    DuplikatDate = QDate::currentDate().toString(Qt::ISODate);
    m_qfv->SetSQL(QStringLiteral("select * from vFvLista where 1=0"));
    m_qpoz->SetSQL(
        QStringLiteral("select * from FvPozycje where FVP_INDEXFAKTURA=:FV_INDEX order by FVP_NAZWAUSLUGI"));
    m_qpoz->SetMasterSource(m_qfv.get());
    m_quser->SetSQL(QStringLiteral("select * from vUserdb where U_INDEX=:FV_INDEXUSER"));
    m_quser->SetMasterSource(m_qfv.get());
}

TFormDrukFv::~TFormDrukFv() = default;

TFormDrukFv* FormDrukFv()
{
    static TFormDrukFv* form = new TFormDrukFv();
    return form;
}

void TFormDrukFv::AfterPreview()
{
    m_qpoz->Close();
    m_quser->Close();
    m_qfv->Close();
    Duplikat = false;
}

void TFormDrukFv::readRunSettings(Run& r)
{
    r.hideBalance = ReadIniBool(0, QStringLiteral("NieDrukujSalda"), false);
    r.defaultVariant = ReadIniInteger(0, QStringLiteral("RodzajWydrukuPrzelewu"), 1);
    r.zwolnienie = ReadIniBool(0, QStringLiteral("DrukujZwolnienieVat"), false);
    r.dataJakoMiesiac = ReadIniBool(0, QStringLiteral("DataJakoMiesiac"), false);
    r.barcodes = ReadIniBool(0, QStringLiteral("DrukujKodyKreskowe"), true);
    r.vovePrint = ReadIniBool(0, QStringLiteral("vOVE_DrukujAutoryzacje"), false);
    r.voveNoPassword = ReadIniBool(0, QStringLiteral("vOVE_DrukujAutoryzacjeBezHasla"), false);
    r.seller = ReadSellerHeader(QString());
    r.bankSub = ini0("U_NazwaBankuSubkonta");
    r.bank = ini0("U_NazwaBanku");
    r.konto = ini0("U_NrKonta");
    QString n1 = ini0("U_Nazwa1Skr"), n2 = ini0("U_Nazwa2Skr");
    if (n1.isEmpty() && n2.isEmpty()) {
        n1 = r.seller.lines[0];
        n2 = r.seller.lines[1];
    }
    r.recipientName = n1 + QLatin1Char(' ') + n2;
    r.recipientAddress = r.seller.lines[2] + QLatin1Char(' ') + r.seller.lines[3];
    r.stubRecipient = n1 + QLatin1Char('\n') + n2 + QLatin1Char('\n') + r.seller.lines[2] +
                      QLatin1Char('\n') + r.seller.lines[3];
    r.logo = LoadReportPicture(QStringLiteral("mojelogo.jpg"));
    r.banner = LoadReportPicture(QStringLiteral("mojbaner.jpg"));
}

void TFormDrukFv::readInvoice(Invoice& inv)
{
    const TQuery* q = m_qfv.get();
    inv.index = integer(q, "FV_INDEX");
    inv.user = integer(q, "FV_INDEXUSER");
    inv.numer = str(q, "FV_NUMERTXT");
    inv.buyer = str(q, "FV_User");
    inv.ulicaNr = FvUlicaNr(str(q, "FV_ADR_ULICA"), str(q, "FV_ADR_NRDOMU"), str(q, "FV_ADR_NRLOKALU"));
    inv.kodMiejscowosc = FvKodMiejscowosc(str(q, "FV_ADR_KOD"), str(q, "FV_ADR_MIEJSCOWOSC"));
    inv.nipTxt = FvNipTxt(str(q, "FV_NIP"));
    const QString nip2Txt = FvNipTxt(str(q, "FV_NIP2"));
    inv.issue = date(q, "FV_DATAWYSTAWIENIA");
    inv.due = date(q, "FV_DATAPLATNOSCI");
    const QDate sale = date(q, "FV_DATASPRZEDAZY");
    inv.saleDate = m_run->dataJakoMiesiac && sale.isValid()
                       ? QLocale(QLocale::Polish).toString(sale, QStringLiteral("LLLL yyyy"))
                       : (sale.isValid() ? sale.toString(Qt::ISODate) : QString());
    inv.issueDate = inv.issue.isValid() ? inv.issue.toString(Qt::ISODate) : QString();
    inv.forma = str(q, "FV_FORMAPLATNOSCI");
    inv.wystawil = str(q, "FV_WYSTAWIL");
    inv.uwagi = str(q, "FV_UWAGI");
    inv.netto = money(q, "FV_SUMANETTO");
    inv.vat = money(q, "FV_SUMAVAT");
    inv.brutto = money(q, "FV_SUMABRUTTO");
    inv.rabat = money(q, "FV_RABATSUMA");
    inv.wplacona = money(q, "FV_KWOTAWPLACONA");
    inv.rozliczona = money(q, "FV_KWOTAROZLICZONA");
    inv.doRozliczenia = money(q, "FV_KWOTADOROZLICZENIA");
    inv.doZaplaty = money(q, "FV_KWOTADOZAPLATY");
    inv.vatRows = FvVatRows(*q);
    inv.ksefNr = str(q, "FV_KSEF_NRKSEF");
    inv.linkOffline = str(q, "FV_KSEF_LINKOFFLINE");
    inv.linkCertOffline = str(q, "FV_KSEF_LINKCERTOFFLINE");
    inv.payer1 = str(q, "FV_NAZWISKO") + QLatin1Char(' ') + str(q, "FV_IMIE");
    inv.payer2 = inv.ulicaNr + QStringLiteral("  ") + inv.kodMiejscowosc;

    // The subscriber as he is now; no row leaves its texts empty and the balance 0.
    const TQuery* u = m_quser.get();
    const bool hasUser = u->Active() && !u->IsEmpty();
    const QString userAdres2 = hasUser ? str(u, "vU_ADR_Adres2") : QString();
    inv.correspondence =
        FvCorrespondenceBlock(str(q, "FV_CZYADRESDOKORESP"), str(q, "vFV_KOR_Adres"), userAdres2, nip2Txt,
                              str(q, "FV_KOR_JST"), str(q, "FV_KOR_ROLA"));
    inv.nrKlienta =
        hasUser ? QStringLiteral("%1").arg(integer(u, "U_NRKLIENTA"), 4, 10, QLatin1Char('0')) : QString();
    inv.portalLine =
        hasUser ? PortalLoginLine(m_run->vovePrint, m_run->voveNoPassword, integer(u, "U_CZYPOMINNADRUKIBOK"),
                                  str(u, "U_LOGIN"), str(u, "U_HASLO"))
                : QString();
    inv.saldo = hasUser ? money(u, "U_SALDO") : Amount4{};
    inv.saldoZalegle = hasUser ? money(u, "U_SALDOZALEGLE") : Amount4{};
    inv.variant = FvPrintVariant(hasUser ? integer(u, "U_RODZAJWYDRUKUFV") : 0, m_run->defaultVariant);
    inv.hideBalance = m_run->hideBalance || (hasUser && integer(u, "U_CZYPOMINACWYDRUKSALDA") == 1);
    const QString account = hasUser ? str(u, "U_NRRACHUNKU1") : QString();
    const bool sub = !account.trimmed().isEmpty();
    inv.bankName = (!m_run->bankSub.trimmed().isEmpty() && sub) ? m_run->bankSub : m_run->bank;
    inv.account = sub ? account : m_run->konto;
}

std::shared_ptr<TReportDocument> TFormDrukFv::BuildReport()
{
    m_qfv->Close();
    m_qfv->Open();
    // The details follow the master's row from here on.
    if (!m_qpoz->Active()) m_qpoz->Open();
    if (!m_quser->Active()) m_quser->Open();
    if (!m_qfv->IsEmpty()) SetCurrentPodmiot(m_qfv->FieldByName(QStringLiteral("FV_PODMIOT"))->AsInteger());
    m_run = std::make_unique<Run>();
    readRunSettings(*m_run);

    TReport report;
    report.Title = DocumentReportTitle(m_qfv->RecordCount(), QStringLiteral("F_"),
                                       m_qfv->IsEmpty() ? QString() : str(m_qfv.get(), "FV_NUMERTXT"),
                                       QStringLiteral("F_paczka_"));
    report.MarginsMm = QMarginsF(15, 10, 15, 10);
    m_page = 0;
    m_row = 0;

    Invoice inv;
    report.OnStartPage = [this](int) { ++m_page; };
    report.PageHeader.beforePrint = [&] { report.PageHeader.height = LayoutPx(m_page == 1 ? 50 : 100); };
    report.PageHeader.print = [&](TBandCanvas& c) {
        if (inv.index == 0 && m_qfv->IsEmpty()) return false;
        pageHeader(c, inv, m_page);
        return true;
    };
    report.Begin();

    for (m_qfv->First(); !m_qfv->Eof(); m_qfv->Next()) {
        inv = Invoice();
        readInvoice(inv);
        if (!inv.ksefNr.isEmpty() || !inv.linkCertOffline.isEmpty()) {
            // The bitmaps are made here when the caller has not made them yet.
            const QString base = PrivateFolder + QStringLiteral("F") + QString::number(inv.index);
            const bool have = !inv.ksefNr.isEmpty() ? QFile::exists(base + QStringLiteral(".bmp"))
                                                    : QFile::exists(base + QStringLiteral("_certoff.bmp"));
            if (!have) MakeFvQrCodes(inv.index, inv.ksefNr, inv.linkOffline, inv.linkCertOffline);
        }

        TReportBand head;
        head.height = kInvoiceBandMm;
        head.forceNewPage = true;
        head.beforePrint = [this] {
            m_page = 0;
            m_row = 0;
        };
        head.print = [&](TBandCanvas& c) {
            invoiceBand(c, inv);
            return true;
        };
        report.PrintBand(head);

        for (m_qpoz->First(); !m_qpoz->Eof(); m_qpoz->Next()) {
            ++m_row;
            const int row = m_row;
            const bool discount = !inv.rabat.isZero();
            report.PrintBand(kItemRowMm, true, [&, row, discount](TBandCanvas& c) {
                c.extendTo(itemRow(c, row, discount));
                return true;
            });
        }

        report.PrintBand(kTotalsBandMm, false, [&](TBandCanvas& c) {
            totalsBand(c, inv);
            return true;
        });

        // The child bands by print variant.
        const int px = inv.variant == 1 ? FvTransferBandPx(inv.hideBalance, inv.doZaplaty, inv.saldo) : 0;
        if (inv.variant == 1 && px > 0) {
            report.PrintBand(LayoutPx(px), false, [&](TBandCanvas& c) {
                transferBand(c, inv);
                return true;
            });
        } else if (inv.variant == 3) {
            const QString memo = UnpaidDocumentsMemoText(inv.user);
            report.PrintBand(LayoutPx(57), true, [&](TBandCanvas& c) {
                memoBand(c, inv, 3, memo);
                return true;
            });
        } else if (inv.variant == 1 || inv.variant == 2) {
            report.PrintBand(LayoutPx(57), false, [&](TBandCanvas& c) {
                memoBand(c, inv, 2, QString());
                return true;
            });
        }
    }
    return report.End();
}

// ---------------------------------------------------------------- bands

void TFormDrukFv::columnHeadings(TBandCanvas& c, double y, bool withDiscount)
{
    const QFont& f = FontHeading();
    c.hline(0, c.width(), y, 0.3);
    const double y1 = y + 0.7, y2 = y + 0.7 + kHeadingLineMm;
    auto two = [&](const TColumn& col, const QString& a, const QString& b) {
        c.text(col.rect(y1, kHeadingLineMm), a, f, col.align | Qt::AlignTop);
        if (!b.isEmpty()) c.text(col.rect(y2, kHeadingLineMm), b, f, col.align | Qt::AlignTop);
    };
    two(kColLp, QStringLiteral("Lp"), QString());
    two(kColNazwa, QStringLiteral("Nazwa towaru/usługi"), QString());
    two(kColJm, QStringLiteral("j.m."), QStringLiteral("Symbol"));
    two(kColIlosc, QStringLiteral("Ilość"), QString());
    two(kColCena, QStringLiteral("Cena netto"), QStringLiteral("Cena brutto"));
    two(kColVat, QStringLiteral("Staw.VAT"), QStringLiteral("Kw.VAT"));
    if (withDiscount) two(kColRabat, QStringLiteral("Rabat%"), QStringLiteral("Kw.rabatu"));
    two(kColWartosc, QStringLiteral("Wart.netto"), QStringLiteral("Wart.brutto"));
}

void TFormDrukFv::pageHeader(TBandCanvas& c, const Invoice& inv, int page)
{
    const double w = c.width();
    const double lw = c.label(0, 0, QStringLiteral("FAKTURA nr "), FontTitle());
    c.label(lw, 0, inv.numer, FontTitle());
    if (m_run->barcodes) {
        const QString numer = inv.numer;
        c.picture(QRectF(kBarcodeX, 0.4, kBarcodeW, kBarcodeH), QSize(kBarcodePxW, kBarcodePxH),
                  [numer](QPainter& p) { DrawCode93Barcode(p, 0, 0, numer, 23, false, true); });
    }
    c.text(QRectF(w - 25, 0, 25, 2.6), QStringLiteral("Strona ") + QString::number(page), FontPage(),
           Qt::AlignRight | Qt::AlignTop);
    if (!inv.uwagi.isEmpty())
        c.text(QRectF(0, 4.9, w, 3.6), inv.uwagi, Font(8), Qt::AlignLeft | Qt::AlignTop);
    // Later pages repeat the column headings; the discount headings always print here.
    if (page > 1) columnHeadings(c, LayoutPx(100) - kHeadingsMm, true);
}

void TFormDrukFv::invoiceBand(TBandCanvas& c, const Invoice& inv)
{
    const double w = c.width();
    // Seller: the header lines 1..10, empty lines left out.
    c.label(0, 0, QStringLiteral("Sprzedawca"), FontSmallCaption());
    const QString lines[10] = {
        m_run->seller.lines[0], m_run->seller.lines[1], m_run->seller.lines[2], m_run->seller.lines[3],
        m_run->seller.lines[4], m_run->seller.lines[5], inv.bankName,           inv.account,
        m_run->seller.lines[8], m_run->seller.lines[9]};
    double y = kSellerTop;
    for (int i = 0; i < 10; ++i) {
        if (lines[i].trimmed().isEmpty()) continue;
        const QFont f = FitFont(lines[i], 9, i < 2, kSellerWidth);
        c.text(QRectF(0, y, kSellerWidth, kSellerPitch), lines[i], f, Qt::AlignLeft | Qt::AlignVCenter);
        y += kSellerPitch;
    }

    // Centre: duplicate note and logo.
    if (Duplikat)
        c.text(kDuplicateArea, QStringLiteral("DUPLIKAT z dnia ") + DuplikatDate,
               FitFont(QStringLiteral("DUPLIKAT z dnia ") + DuplikatDate, 9, true, kDuplicateArea.width()),
               Qt::AlignHCenter | Qt::AlignTop);
    c.image(kLogoArea, m_run->logo);

    // Right: dates, then the KSeF codes.
    const QRectF dates(kDatesX, 0, w - kDatesX, 3.6);
    c.text(dates, QStringLiteral("Data sprzedaży:"), Font(8), Qt::AlignLeft | Qt::AlignTop);
    c.text(dates, inv.saleDate, Font(8, true), Qt::AlignRight | Qt::AlignTop);
    c.text(dates.translated(0, 3.7), QStringLiteral("Data wystawienia:"), Font(8),
           Qt::AlignLeft | Qt::AlignTop);
    c.text(dates.translated(0, 3.7), inv.issueDate, Font(8, true), Qt::AlignRight | Qt::AlignTop);

    const QString base = PrivateFolder + QStringLiteral("F") + QString::number(inv.index);
    QString label1, label2, file1, file2;
    if (!inv.ksefNr.isEmpty()) {
        label1 = inv.ksefNr;
        file1 = base + QStringLiteral(".bmp");
    } else if (!inv.linkCertOffline.isEmpty()) {
        label1 = QStringLiteral("CERTYFIKAT");
        label2 = QStringLiteral("OFFLINE");
        file1 = base + QStringLiteral("_certoff.bmp");
        file2 = base + QStringLiteral("_off.bmp");
    }
    auto qr = [&](const QString& file, const QString& label, double top, double labelTop) {
        const QRectF r(w - kQrSize, top, kQrSize, kQrSize);
        if (!file.isEmpty() && QFile::exists(file)) c.image(r, QImage(file), true, false);
        if (!label.isEmpty()) {
            const double lw = qMax(kQrSize, TextWidthMm(FontQrLabel(), label) + 1);
            c.text(QRectF(w - lw, labelTop, lw, 2), label, FontQrLabel(), Qt::AlignHCenter | Qt::AlignTop);
        }
    };
    qr(file1, label1, kQr1Top, kQr1LabelTop);
    qr(file2, label2, kQr2Top, kQr2LabelTop);

    // Buyer.
    y = kBuyerTop;
    c.label(0, y, QStringLiteral("Nabywca"), Font(9, true));
    y += kBuyerPitch;
    c.label(0, y, QStringLiteral("Nr klienta: ") + inv.nrKlienta, Font(7));
    y += 3.1;
    y += c.memo(0, y, kBuyerWidth, inv.buyer, FitFont(inv.buyer, 9, true, kBuyerWidth * 2 - 4), Qt::AlignLeft,
                true);
    for (const QString& t : {inv.ulicaNr, inv.kodMiejscowosc, inv.nipTxt}) {
        if (t.trimmed().isEmpty()) continue;
        c.text(QRectF(0, y, kBuyerWidth, kBuyerPitch), t, FitFont(t, 9, false, kBuyerWidth),
               Qt::AlignLeft | Qt::AlignVCenter);
        y += kBuyerPitch;
    }

    // Correspondence block.
    c.label(kCorrX, kCorrTop, QStringLiteral("Adres do korespondencji/Odbiorca"), Font(7));
    QString corr = inv.correspondence;
    corr.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c.text(QRectF(kCorrX, kCorrTop + 3.2, kCorrWidth, kCorrHeight), corr, Font(8),
           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);

    if (!inv.portalLine.isEmpty())
        c.text(QRectF(0, qMax(kPortalTop, y), w, 3.8), inv.portalLine, Font(9), Qt::AlignLeft | Qt::AlignTop);

    columnHeadings(c, kHeadingsTop, !inv.rabat.isZero());
}

double TFormDrukFv::itemRow(TBandCanvas& c, int row, bool discount)
{
    const TQuery* q = m_qpoz.get();
    const QFont& f = FontItem();
    c.hline(0, c.width(), 0, 0.1);
    const double y1 = 0.6, y2 = 0.6 + kItemLineMm;
    auto cell = [&](const TColumn& col, double y, const QString& t) {
        c.text(col.rect(y, kItemLineMm), t, f, col.align | Qt::AlignTop);
    };
    cell(kColLp, y1, QString::number(row) + QLatin1Char('.'));
    const double nameH = c.memo(kColNazwa.left, y1, kColNazwa.width(), str(q, "FVP_NAZWAUSLUGI"), f);
    const QString jm = str(q, "FVP_JEDNMIARY"), symbol = str(q, "FVP_SYMBOL");
    c.text(kColJm.rect(y1, kItemLineMm), jm, FitFont(jm, 8, false, kColJm.width()),
           Qt::AlignLeft | Qt::AlignTop);
    c.text(kColJm.rect(y2, kItemLineMm), symbol, FitFont(symbol, 8, false, kColJm.width()),
           Qt::AlignLeft | Qt::AlignTop);
    cell(kColIlosc, y1, FormatQuantity(money(q, "FVP_ILOSC")));
    cell(kColCena, y1, FormatMoney(money(q, "FVP_CENANETTO")));
    cell(kColCena, y2, FormatMoney(money(q, "FVP_CENABRUTTO")));
    cell(kColVat, y1, str(q, "FVP_STAWKAVAT_TXT"));
    cell(kColVat, y2, FormatMoney(money(q, "FVP_KWOTAVAT")));
    // Without a discount on the invoice its two columns stay empty.
    if (discount) {
        cell(kColRabat, y1, FormatPercent(money(q, "FVP_RABAT")));
        cell(kColRabat, y2, FormatMoney(money(q, "FVP_RABATKWOTA")));
    }
    cell(kColWartosc, y1, FormatMoney(money(q, "FVP_WARTOSCNETTO")));
    cell(kColWartosc, y2, FormatMoney(money(q, "FVP_WARTOSCBRUTTO")));
    return std::max(kItemRowMm, y1 + nameH + 0.8);
}
