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

QString str(const TQuery* q, const QString& name)
{
    const TField* f = q->FindField(name);
    return f ? f->AsString() : QString();
}
QString str(const TQuery* q, const char* name)
{
    return str(q, QString::fromLatin1(name));
}

Amount4 money(const TQuery* q, const QString& name)
{
    const TField* f = q->FindField(name);
    return f ? f->AsCurrency() : Amount4{};
}
Amount4 money(const TQuery* q, const char* name)
{
    return money(q, QString::fromLatin1(name));
}

int integer(const TQuery* q, const QString& name)
{
    const TField* f = q->FindField(name);
    return f ? f->AsInteger() : 0;
}
int integer(const TQuery* q, const char* name)
{
    return integer(q, QString::fromLatin1(name));
}

QDate date(const TQuery* q, const QString& name)
{
    const TField* f = q->FindField(name);
    return f ? f->AsDate() : QDate();
}

QString ini0(const char* key, const QString& def = QString())
{
    return ReadIniString(0, QString::fromLatin1(key), def);
}

} // namespace

TFormDrukFv::TFormDrukFv(QObject* parent) : TFormDrukFv('F', parent) {}

TFormDrukFv::TFormDrukFv(char kind, QObject* parent)
    : TReportForm(parent), m_kind(kind), m_prefix(kind == 'K'   ? QStringLiteral("FVK_")
                                                  : kind == 'P' ? QStringLiteral("PZ_")
                                                                : QStringLiteral("FV_")),
      m_itemPrefix(kind == 'K'   ? QStringLiteral("FVKP_")
                   : kind == 'P' ? QStringLiteral("PZP_")
                                 : QStringLiteral("FVP_")),
      m_qfv(std::make_unique<TQuery>()), m_qpoz(std::make_unique<TQuery>()),
      m_quser(std::make_unique<TQuery>())
{
    DuplikatDate = QDate::currentDate().toString(Qt::ISODate);
    const QString view = kind == 'K'   ? QStringLiteral("vFvkLista")
                         : kind == 'P' ? QStringLiteral("vPzLista")
                                       : QStringLiteral("vFvLista");
    m_qfv->SetSQL(QStringLiteral("select * from %1 where 1=0").arg(view));
    const QString items = kind == 'K'   ? QStringLiteral("FvkPozycje where FVKP_INDEXFAKTURA=:FVK_INDEX")
                          : kind == 'P' ? QStringLiteral("PzPozycje where PZP_INDEXPZ=:PZ_INDEX")
                                        : QStringLiteral("FvPozycje where FVP_INDEXFAKTURA=:FV_INDEX");
    m_qpoz->SetSQL(QStringLiteral("select * from %1 order by %2NAZWAUSLUGI").arg(items, m_itemPrefix));
    m_qpoz->SetMasterSource(m_qfv.get());
    m_quser->SetSQL(QStringLiteral("select * from vUserdb where U_INDEX=:%1INDEXUSER").arg(m_prefix));
    m_quser->SetMasterSource(m_qfv.get());
}

QString TFormDrukFv::col(const char* name) const
{
    return m_prefix + QLatin1String(name);
}

QString TFormDrukFv::itemCol(const char* name) const
{
    return m_itemPrefix + QLatin1String(name);
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
    inv.index = integer(q, col("INDEX"));
    inv.user = integer(q, col("INDEXUSER"));
    inv.numer = str(q, col("NUMERTXT"));
    inv.buyer = str(q, col("User"));
    inv.ulicaNr = FvUlicaNr(str(q, col("ADR_ULICA")), str(q, col("ADR_NRDOMU")), str(q, col("ADR_NRLOKALU")));
    inv.kodMiejscowosc = FvKodMiejscowosc(str(q, col("ADR_KOD")), str(q, col("ADR_MIEJSCOWOSC")));
    // A demand's buyer has no tax number.
    inv.nipTxt = m_kind == 'P' ? QString() : FvNipTxt(str(q, col("NIP")));
    const QString nip2Txt = FvNipTxt(str(q, col("NIP2")));
    inv.issue = date(q, col("DATAWYSTAWIENIA"));
    inv.due = date(q, col("DATAPLATNOSCI"));
    const QDate sale = date(q, col("DATASPRZEDAZY"));
    inv.saleDate = m_run->dataJakoMiesiac && sale.isValid() && m_kind == 'F'
                       ? QLocale(QLocale::Polish).toString(sale, QStringLiteral("LLLL yyyy"))
                       : (sale.isValid() ? sale.toString(Qt::ISODate) : QString());
    inv.issueDate = inv.issue.isValid() ? inv.issue.toString(Qt::ISODate) : QString();
    inv.forma = str(q, col("FORMAPLATNOSCI"));
    inv.wystawil = str(q, col("WYSTAWIL"));
    inv.uwagi = m_kind == 'F' ? str(q, col("UWAGI")) : QString();
    inv.netto = money(q, col("SUMANETTO"));
    inv.vat = money(q, col("SUMAVAT"));
    inv.brutto = money(q, col("SUMABRUTTO"));
    inv.rabat = money(q, col("RABATSUMA"));
    inv.wplacona = money(q, col("KWOTAWPLACONA"));
    inv.rozliczona = money(q, col("KWOTAROZLICZONA"));
    inv.doRozliczenia = money(q, col("KWOTADOROZLICZENIA"));
    inv.doZaplaty = money(q, col("KWOTADOZAPLATY"));
    if (m_kind != 'P') inv.vatRows = FvVatRows(*q, m_prefix, m_kind == 'K');
    if (m_kind != 'P') {
        inv.ksefNr = str(q, col("KSEF_NRKSEF"));
        inv.linkOffline = str(q, col("KSEF_LINKOFFLINE"));
        inv.linkCertOffline = str(q, col("KSEF_LINKCERTOFFLINE"));
    }
    if (m_kind == 'K') {
        const QDate corrected = date(q, col("DATAKORYGOWANEJ"));
        inv.reference = QStringLiteral("do faktury ") + str(q, col("NUMERTXTKORYGOWANEJ")) +
                        QStringLiteral(" z dnia ") +
                        (corrected.isValid() ? corrected.toString(Qt::ISODate) : QString());
        inv.reason = str(q, col("POWODKOREKTY"));
    }
    inv.payer1 = str(q, col("NAZWISKO")) + QLatin1Char(' ') + str(q, col("IMIE"));
    inv.payer2 = inv.ulicaNr + QStringLiteral("  ") + inv.kodMiejscowosc;

    // The subscriber as he is now; no row leaves its texts empty and the balance 0.
    const TQuery* u = m_quser.get();
    const bool hasUser = u->Active() && !u->IsEmpty();
    const QString userAdres2 = hasUser ? str(u, "vU_ADR_Adres2") : QString();
    const QString czyKoresp = str(q, col("CZYADRESDOKORESP")),
                  korAdres = str(q, QStringLiteral("v") + col("KOR_Adres"));
    if (m_kind == 'K')
        inv.correspondence = FvkCorrespondenceBlock(czyKoresp, korAdres, userAdres2, nip2Txt,
                                                    str(q, col("KOR_JST")), str(q, col("KOR_ROLA")));
    else if (m_kind == 'P')
        inv.correspondence =
            hasUser ? CorrespondenceAddress(str(u, "U_CZYADRESDOKORESP"), str(u, "vU_KOR_Adres"), userAdres2)
                    : QString();
    else
        inv.correspondence = FvCorrespondenceBlock(czyKoresp, korAdres, userAdres2, nip2Txt,
                                                   str(q, col("KOR_JST")), str(q, col("KOR_ROLA")));
    inv.nrKlienta =
        hasUser ? QStringLiteral("%1").arg(integer(u, "U_NRKLIENTA"), 4, 10, QLatin1Char('0')) : QString();
    // A correction carries no portal login line.
    inv.portalLine = hasUser && m_kind != 'K' ? PortalLoginLine(m_run->vovePrint, m_run->voveNoPassword,
                                                                integer(u, "U_CZYPOMINNADRUKIBOK"),
                                                                str(u, "U_LOGIN"), str(u, "U_HASLO"))
                                              : QString();
    inv.saldo = hasUser ? money(u, "U_SALDO") : Amount4{};
    inv.saldoZalegle = hasUser ? money(u, "U_SALDOZALEGLE") : Amount4{};
    const int ownVariant = hasUser ? integer(u, "U_RODZAJWYDRUKUFV") : 0;
    inv.variant = FvPrintVariant(ownVariant, m_run->defaultVariant);
    if (m_kind == 'K') {
        // A correction asks neither the default variant nor the subscriber's own hide flag.
        inv.hideBalance = m_run->hideBalance;
        inv.transferPx = FvkTransferBandPx(ownVariant, inv.hideBalance, inv.brutto, inv.saldo);
    } else {
        inv.hideBalance = m_run->hideBalance || (hasUser && integer(u, "U_CZYPOMINACWYDRUKSALDA") == 1);
        inv.transferPx = inv.variant == 1 ? FvTransferBandPx(inv.hideBalance, inv.doZaplaty, inv.saldo) : 0;
    }
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
    if (!m_qfv->IsEmpty()) SetCurrentPodmiot(m_qfv->FieldByName(col("PODMIOT"))->AsInteger());
    m_run = std::make_unique<Run>();
    readRunSettings(*m_run);

    TReport report;
    const QString letter = QString(QLatin1Char(m_kind));
    report.Title = DocumentReportTitle(m_qfv->RecordCount(), letter + QLatin1Char('_'),
                                       m_qfv->IsEmpty() ? QString() : str(m_qfv.get(), col("NUMERTXT")),
                                       m_kind == 'P' ? QStringLiteral("P_zbiorczy")
                                                     : letter + QStringLiteral("_paczka_"));
    report.MarginsMm = QMarginsF(15, 10, 15, 10);
    m_page = 0;
    m_row = 0;

    Invoice inv;
    report.OnStartPage = [this](int) { ++m_page; };
    const int firstHeaderPx = m_kind == 'K' ? 53 : m_kind == 'P' ? 35 : 50;
    report.PageHeader.beforePrint = [&] {
        report.PageHeader.height = LayoutPx(m_page == 1 ? firstHeaderPx : 100);
    };
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
            const QString base = PrivateFolder + letter + QString::number(inv.index);
            const bool have = !inv.ksefNr.isEmpty() ? QFile::exists(base + QStringLiteral(".bmp"))
                                                    : QFile::exists(base + QStringLiteral("_certoff.bmp"));
            if (!have) MakeFvQrCodes(inv.index, inv.ksefNr, inv.linkOffline, inv.linkCertOffline, letter);
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
            // A correction always shows its discount columns.
            const bool discount = m_kind == 'K' || !inv.rabat.isZero();
            report.PrintBand(m_kind == 'K' ? kCorrectionRowMm : kItemRowMm, true,
                             [&, row, discount](TBandCanvas& c) {
                                 c.extendTo(itemRow(c, row, discount));
                                 return true;
                             });
        }

        report.PrintBand(m_kind == 'K' ? kCorrectionTotalsBandMm : kTotalsBandMm, false, [&](TBandCanvas& c) {
            totalsBand(c, inv);
            return true;
        });

        // The child bands by print variant.
        // The child bands by print variant; a correction has the transfer form or nothing.
        if (inv.transferPx > 0) {
            const double h = LayoutPx(inv.transferPx);
            report.PrintBand(h, false, [&, h](TBandCanvas& c) {
                transferBand(c, inv, h);
                return true;
            });
        } else if (m_kind == 'K') {
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
    // A demand is gross only.
    if (m_kind == 'P') {
        two(kColCena, QStringLiteral("Cena brutto"), QString());
    } else {
        two(kColCena, QStringLiteral("Cena netto"), QStringLiteral("Cena brutto"));
        two(kColVat, QStringLiteral("Staw.VAT"), QStringLiteral("Kw.VAT"));
    }
    if (withDiscount) two(kColRabat, QStringLiteral("Rabat%"), QStringLiteral("Kw.rabatu"));
    if (m_kind == 'P')
        two(kColWartosc, QStringLiteral("Wart.brutto"), QString());
    else
        two(kColWartosc, QStringLiteral("Wart.netto"), QStringLiteral("Wart.brutto"));
}

void TFormDrukFv::pageHeader(TBandCanvas& c, const Invoice& inv, int page)
{
    const double w = c.width();
    const QString title = m_kind == 'K'   ? QStringLiteral("KOREKTA nr ")
                          : m_kind == 'P' ? QStringLiteral("POLECENIE ZAPŁATY nr ")
                                          : QStringLiteral("FAKTURA nr ");
    const double lw = c.label(0, 0, title, FontTitle());
    c.label(lw, 0, inv.numer, FontTitle());
    if (m_run->barcodes) {
        // A demand's number goes into its bar code without blanks.
        const QString numer = m_kind == 'P' ? QString(inv.numer).remove(QLatin1Char(' ')) : inv.numer;
        c.picture(QRectF(kBarcodeX, 0.4, kBarcodeW, kBarcodeH), QSize(kBarcodePxW, kBarcodePxH),
                  [numer](QPainter& p) { DrawCode93Barcode(p, 0, 0, numer, 23, false, true); });
    }
    c.text(QRectF(w - 25, 0, 25, 2.6), QStringLiteral("Strona ") + QString::number(page), FontPage(),
           Qt::AlignRight | Qt::AlignTop);
    if (m_kind == 'K')
        c.text(QRectF(0, 4.9, w, 3.6), inv.reference, Font(8, true), Qt::AlignLeft | Qt::AlignTop);
    else if (!inv.uwagi.isEmpty())
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

    // Centre: duplicate note and logo; a demand has its logo at the right.
    if (Duplikat && m_kind == 'F')
        c.text(kDuplicateArea, QStringLiteral("DUPLIKAT z dnia ") + DuplikatDate,
               FitFont(QStringLiteral("DUPLIKAT z dnia ") + DuplikatDate, 9, true, kDuplicateArea.width()),
               Qt::AlignHCenter | Qt::AlignTop);
    c.image(m_kind == 'P' ? kPzLogoArea : kLogoArea, m_run->logo);

    // Right: dates, then the KSeF codes.
    QRectF dates(kDatesX, 0, w - kDatesX, 3.6);
    if (m_kind != 'P') {
        c.text(dates, QStringLiteral("Data sprzedaży:"), Font(8), Qt::AlignLeft | Qt::AlignTop);
        c.text(dates, inv.saleDate, Font(8, true), Qt::AlignRight | Qt::AlignTop);
        dates.translate(0, 3.7);
    }
    c.text(dates, QStringLiteral("Data wystawienia:"), Font(8), Qt::AlignLeft | Qt::AlignTop);
    c.text(dates, inv.issueDate, Font(8, true), Qt::AlignRight | Qt::AlignTop);
    if (m_kind != 'P') ksefCodes(c, inv);

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
    c.label(kCorrX, kCorrTop,
            m_kind == 'K' ? QStringLiteral("Adres do korespondencji")
                          : QStringLiteral("Adres do korespondencji/Odbiorca"),
            Font(7));
    QString corr = inv.correspondence;
    corr.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c.text(QRectF(kCorrX, kCorrTop + 3.2, kCorrWidth, kCorrHeight), corr, Font(8),
           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);

    if (m_kind == 'K') {
        // The reason stands where the invoice has its portal line.
        const double ry = qMax(kReasonTop, y);
        const double rw = c.label(0, ry, QStringLiteral("Powód korekty: "), Font(9));
        c.text(QRectF(rw, ry, w - rw, 3.8), inv.reason, FitFont(inv.reason, 9, true, w - rw),
               Qt::AlignLeft | Qt::AlignTop);
    } else if (!inv.portalLine.isEmpty()) {
        c.text(QRectF(0, qMax(kPortalTop, y), w, 3.8), inv.portalLine, Font(9), Qt::AlignLeft | Qt::AlignTop);
    }

    columnHeadings(c, kHeadingsTop, m_kind == 'K' || !inv.rabat.isZero());
}

void TFormDrukFv::ksefCodes(TBandCanvas& c, const Invoice& inv)
{
    const double w = c.width();
    const QString base = PrivateFolder + QLatin1Char(m_kind) + QString::number(inv.index);
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
}

double TFormDrukFv::itemRow(TBandCanvas& c, int row, bool discount)
{
    c.hline(0, c.width(), 0, 0.1);
    if (m_kind != 'K') {
        // The invoice numbers its rows with a dot, the demand without.
        const QString label = QString::number(row) + (m_kind == 'F' ? QStringLiteral(".") : QString());
        return std::max(kItemRowMm, itemValues(c, 0.6, label, QString(), discount) + 0.8);
    }
    // A correction: the line as it was and as it is after, each under its caption.
    const QFont& cap = Font(8, true);
    const QString label = QString::number(row);
    c.label(kColNazwa.left, 0.5, QStringLiteral("Przed korektą"), cap);
    c.hline(kColNazwa.left, c.width(), 4.2, 0.1);
    double y = std::max(itemValues(c, 4.6, label, QString(), discount), 4.6 + 2 * kItemLineMm) + 0.6;
    c.hline(kColNazwa.left, c.width(), y, 0.1);
    c.label(kColNazwa.left, y + 0.5, QStringLiteral("Po korekcie"), cap);
    c.hline(kColNazwa.left, c.width(), y + 4.2, 0.1);
    y = std::max(itemValues(c, y + 4.6, label, QStringLiteral("_PO"), discount), y + 4.6 + 2 * kItemLineMm);
    return std::max(kCorrectionRowMm, y + 0.8);
}

double TFormDrukFv::itemValues(TBandCanvas& c, double y1, const QString& rowLabel, const QString& suffix,
                               bool discount)
{
    const TQuery* q = m_qpoz.get();
    const QFont& f = FontItem();
    const double y2 = y1 + kItemLineMm;
    auto field = [&](const char* name) { return itemCol(name) + suffix; };
    auto cell = [&](const TColumn& col, double y, const QString& t) {
        c.text(col.rect(y, kItemLineMm), t, f, col.align | Qt::AlignTop);
    };
    cell(kColLp, y1, rowLabel);
    const double nameH = c.memo(kColNazwa.left, y1, kColNazwa.width(), str(q, field("NAZWAUSLUGI")), f);
    const QString jm = str(q, field("JEDNMIARY")), symbol = str(q, field("SYMBOL"));
    c.text(kColJm.rect(y1, kItemLineMm), jm, FitFont(jm, 8, false, kColJm.width()),
           Qt::AlignLeft | Qt::AlignTop);
    c.text(kColJm.rect(y2, kItemLineMm), symbol, FitFont(symbol, 8, false, kColJm.width()),
           Qt::AlignLeft | Qt::AlignTop);
    cell(kColIlosc, y1, FormatQuantity(money(q, field("ILOSC"))));
    if (m_kind == 'P') {
        cell(kColCena, y1, FormatMoney(money(q, field("CENABRUTTO"))));
    } else {
        cell(kColCena, y1, FormatMoney(money(q, field("CENANETTO"))));
        cell(kColCena, y2, FormatMoney(money(q, field("CENABRUTTO"))));
        cell(kColVat, y1, str(q, field("STAWKAVAT_TXT")));
        cell(kColVat, y2, FormatMoney(money(q, field("KWOTAVAT"))));
    }
    // Without a discount on the invoice its two columns stay empty.
    if (discount) {
        cell(kColRabat, y1, FormatPercent(money(q, field("RABAT"))));
        cell(kColRabat, y2, FormatMoney(money(q, field("RABATKWOTA"))));
    }
    if (m_kind == 'P') {
        cell(kColWartosc, y1, FormatMoney(money(q, field("WARTOSCBRUTTO"))));
    } else {
        cell(kColWartosc, y1, FormatMoney(money(q, field("WARTOSCNETTO"))));
        cell(kColWartosc, y2, FormatMoney(money(q, field("WARTOSCBRUTTO"))));
    }
    return y1 + nameH;
}
