#include "printouts/DrukUmowa.h"

#include "core/DbIni.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/MagazynBlob.h"
#include "core/Operatorzy.h"
#include "core/Podmioty.h"
#include "core/Query.h"
#include "core/Session.h"
#include "platform/PdfPrinter.h"
#include "platform/Rtf.h"
#include "printouts/Email.h"
#include "printouts/PrintCode93Image.h"
#include "registers/UmowyDane.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

const QString NoPdfPrinterMessage =
    QStringLiteral("Proszę wskazać w konfiguracji drukarkę PDFów zainstalowaną w systemie");

namespace {
const QString kNoTemplate = QStringLiteral("Umowa nie ma przypisanego szablonu");
constexpr int kFirstBodyLimit = 80000;
constexpr double kBarcodeMinX = 106.4;
constexpr double kModuleMm = 0.3;

QFont Font(double points, bool bold = false)
{
    return ReportFont(points, bold);
}

QString str(const TQuery* q, const char* name)
{
    const TField* f = q->FindField(QString::fromLatin1(name));
    return f ? f->AsString() : QString();
}

// The tops (mm) of a laid-out document's lines and its end: the body prints
// in slices between them, so a page breaks between two lines.
std::vector<double> lineTops(QTextDocument& doc)
{
    std::vector<double> tops;
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QRectF r = layout->blockBoundingRect(b);
        QTextLayout* tl = b.layout();
        if (!tl || tl->lineCount() == 0) {
            tops.push_back(r.top() / 100.0);
            continue;
        }
        for (int i = 0; i < tl->lineCount(); ++i)
            tops.push_back((i == 0 ? r.top() : r.top() + tl->lineAt(i).y()) / 100.0);
    }
    tops.push_back(doc.size().height() / 100.0);
    std::sort(tops.begin(), tops.end());
    tops.erase(std::unique(tops.begin(), tops.end()), tops.end());
    return tops;
}
} // namespace

struct TFormDrukUmowa::Doc
{
    int kind = 0;
    QString numer, tytul, aneksOpis, opis;
    QString zawarcia, start, koniec;
    bool hasEnd = false;
    QString buyer, correspondence, customerNumber, pesel, dowod;
    TSellerHeader seller;
    QImage logo;
    bool barcodes = true;
    int headerPx = 77, documentPx = 468, signaturePx = 146;
};

TFormDrukUmowa::TFormDrukUmowa(QObject* parent) : TReportForm(parent)
{
    m_qumowy = std::make_unique<TQuery>();
    m_qumowy->SetSQL(QStringLiteral("select Umowy.* , Szablony.* from Umowy left join Szablony on "
                                    "SZ_INDEX=UM_INDEXSZABLON where UM_INDEX=0"));
    m_quser = std::make_unique<TQuery>();
    m_quser->SetSQL(QStringLiteral("select * from vUserdb where U_INDEX=:UM_INDEXUSER"));
    m_quser->SetMasterSource(m_qumowy.get());
    m_body1 = std::make_shared<QTextDocument>();
    m_body2 = std::make_shared<QTextDocument>();
}

TFormDrukUmowa::~TFormDrukUmowa() = default;

void TFormDrukUmowa::LoadContractTexts()
{
    m_body1 = std::make_shared<QTextDocument>();
    m_body2 = std::make_shared<QTextDocument>();
    if (!m_qumowy->Active() || m_qumowy->IsEmpty()) return;
    auto q =
        GlobalSession()->OpenQuery(QStringLiteral("select UM_TRESC, UM_TRESC2 from Umowy where UM_INDEX=:p1"),
                                   {m_qumowy->FieldByName(UM::INDEX)->AsInteger()});
    if (q->IsEmpty()) return;
    const QString t1 = q->FieldByName(QStringLiteral("UM_TRESC"))->AsString();
    const QString t2 = q->FieldByName(QStringLiteral("UM_TRESC2"))->AsString();
    if (LooksLikeRtf(t1)) {
        ReadRtf(t1.left(kFirstBodyLimit), m_body1.get());
        ReadRtf(t2, m_body2.get());
    } else {
        m_body1->setPlainText(t1);
        m_body2->setPlainText(t2);
    }
}

std::shared_ptr<TReportDocument> TFormDrukUmowa::BuildReport()
{
    m_qumowy->Close();
    m_qumowy->Open();
    if (!m_quser->Active()) m_quser->Open();
    Doc d;
    if (!m_qumowy->IsEmpty()) {
        const TQuery* u = m_quser.get();
        if (!m_quser->IsEmpty())
            SetCurrentPodmiot(m_quser->FieldByName(QStringLiteral("U_PODMIOT"))->AsInteger());
        d.kind = m_qumowy->FieldByName(UM::CZYANEKS)->AsInteger();
        d.numer = str(m_qumowy.get(), "UM_NUMERTXT");
        d.tytul = str(m_qumowy.get(), "UM_TYTUL");
        d.aneksOpis = str(m_qumowy.get(), "UM_ANEKSOPIS");
        d.opis = str(m_qumowy.get(), "UM_OPIS");
        d.zawarcia = str(m_qumowy.get(), "UM_DATAZAWARCIA");
        d.start = str(m_qumowy.get(), "UM_DATASTART");
        d.koniec = str(m_qumowy.get(), "UM_DATAKONIEC");
        d.hasEnd = m_qumowy->FieldByName(UM::DATAKONIEC)->AsDate().isValid();
        const QString klient = str(m_qumowy.get(), "UM_KLIENTTXT");
        const QString odbiorca = str(m_qumowy.get(), "UM_ODBIORCATXT");
        d.buyer = !klient.isEmpty() ? klient : str(u, "vU_ADR_Adres2");
        d.correspondence = !odbiorca.isEmpty()
                               ? odbiorca
                               : CorrespondenceAddress(str(u, "U_CZYADRESDOKORESP"), str(u, "vU_KOR_Adres"),
                                                       str(u, "vU_ADR_Adres2"));
        d.customerNumber = str(u, "U_NRKLIENTA");
        d.pesel = str(u, "U_PESEL");
        d.dowod = str(u, "U_NRDOWODU");
        d.seller = ReadSellerHeader(str(u, "U_NRRACHUNKU1"));
    }
    d.logo = LoadReportPicture(QStringLiteral("mojelogo.jpg"));
    d.barcodes = ReadIniBool(0, QStringLiteral("DrukujKodyKreskowe"), true);
    switch (PrintVariant) {
    case 1:
        d.documentPx = 0;
        break;
    case 2:
        d.documentPx = d.signaturePx = 0;
        break;
    case 3:
        d.headerPx = d.documentPx = d.signaturePx = 0;
        break;
    case 4:
        d.signaturePx = 0;
        break;
    default:
        d.documentPx = d.kind == ukPzo ? 394 : 468;
        break;
    }
    // An information sheet is its text alone.
    if (d.kind == ukInformacja) d.headerPx = d.documentPx = d.signaturePx = 0;
    LoadContractTexts();

    TReport report;
    report.Title = UmowaDocumentName(d.kind, d.numer);
    int page = 0;
    report.OnStartPage = [&page](int) { ++page; };
    if (d.headerPx > 0) {
        report.PageHeader.height = LayoutPx(d.headerPx);
        report.PageHeader.print = [&](TBandCanvas& c) {
            pageHeader(c, d, page);
            return true;
        };
    }
    report.Begin();
    if (d.documentPx > 0) {
        TReportBand band;
        band.height = LayoutPx(d.documentPx);
        band.print = [&](TBandCanvas& c) {
            documentBand(c, d);
            return true;
        };
        report.PrintBand(band);
    }
    for (const std::shared_ptr<QTextDocument>& body : {m_body1, m_body2}) {
        if (body->isEmpty()) continue;
        const double w = report.ContentWidth();
        PrepareRichDocument(*body, ReportFont(QStringLiteral("DejaVu Sans"), 9), w);
        const std::vector<double> tops = lineTops(*body);
        for (size_t i = 0; i + 1 < tops.size(); ++i) {
            const double top = tops[i], h = tops[i + 1] - tops[i];
            if (h <= 0) continue;
            const std::shared_ptr<QTextDocument> doc = body;
            report.PrintBand(h, false, [doc, top, h, w](TBandCanvas& c) {
                const QSize px(int(std::lround(w * 100)), std::max(1, int(std::lround(h * 100))));
                c.picture(QRectF(0, 0, w, h), px, [doc, top, px](QPainter& p) {
                    p.translate(0, -top * 100);
                    doc->drawContents(&p, QRectF(0, top * 100, px.width(), px.height()));
                });
                return true;
            });
        }
    }
    if (d.signaturePx > 0)
        report.PrintBand(LayoutPx(d.signaturePx), false, [&](TBandCanvas& c) {
            signatureBand(c, d);
            return true;
        });
    return report.End();
}

void TFormDrukUmowa::pageHeader(TBandCanvas& c, const Doc& d, int page)
{
    const double w = c.width();
    QString title;
    if (d.kind == ukUmowa)
        title = QStringLiteral("UMOWA nr ") + d.numer;
    else if (d.kind == ukAneks)
        title = QStringLiteral("ANEKS nr ") + d.numer + QLatin1Char(' ') + d.aneksOpis;
    else
        title = QStringLiteral("PROTOKÓŁ ZDAWCZO-ODBIORCZY ") + d.aneksOpis;
    // A protocol carries no bar code; the code stands at the right, the title takes the rest.
    const QString modules = Code93Modules(d.numer);
    double titleWidth = w - 16;
    if (d.kind != ukPzo && d.barcodes && !modules.isEmpty()) {
        const int n = int(modules.size());
        const double bw = std::min(n * kModuleMm, w - kBarcodeMinX - 16);
        const double x = w - 16 - bw;
        titleWidth = x - 2;
        const QString numer = d.numer;
        c.picture(QRectF(x, 0.3, bw, LayoutPx(22)), QSize(n, 22),
                  [numer](QPainter& p) { DrawCode93Barcode(p, 0, 0, numer, 22, false, true); });
    }
    const double titleHeight = c.memo(0, 0, titleWidth, title, Font(9, true), Qt::AlignLeft, true);
    c.text(QRectF(w - 14, 0, 14, 2.6), QStringLiteral("Strona ") + QString::number(page), Font(6),
           Qt::AlignRight | Qt::AlignTop);
    c.text(QRectF(0, std::max(5.6, titleHeight + 0.4), w, 3.6), d.tytul, Font(8, true),
           Qt::AlignLeft | Qt::AlignTop);
    c.hline(0, w, LayoutPx(77) - 1.2, 0.3);
}

void TFormDrukUmowa::documentBand(TBandCanvas& c, const Doc& d)
{
    const double w = c.width();
    const bool protocol = d.kind == ukPzo;
    c.label(0, 0.5, QStringLiteral("Usługodawca"), Font(7));
    double y = 3.8;
    for (const QString& line : d.seller.lines) {
        if (line.trimmed().isEmpty()) continue;
        c.text(QRectF(0, y, 88, 3.4), line,
               Font(8, &line == &d.seller.lines[0] || &line == &d.seller.lines[1]),
               Qt::AlignLeft | Qt::AlignVCenter);
        y += 3.4;
    }
    c.image(QRectF(90, 0.5, 40, 22), d.logo);
    const QString concludedCaption =
        protocol ? QStringLiteral("Data przekazania sprzętu") : QStringLiteral("Data zawarcia");
    c.text(QRectF(w - 48, 0.5, 48, 3.6), concludedCaption, Font(8), Qt::AlignRight | Qt::AlignTop);
    c.text(QRectF(w - 48, 4.2, 48, 3.6), d.zawarcia, Font(8, true), Qt::AlignRight | Qt::AlignTop);

    y = 39;
    c.label(0, y, QStringLiteral("Usługobiorca"), Font(9, true));
    c.label(0, y + 4.2, QStringLiteral("Nr klienta: ") + d.customerNumber, Font(7));
    c.memo(0, y + 7.6, 88, d.buyer, Font(10), Qt::AlignLeft, true, 16.1);
    c.label(95, y, QStringLiteral("Adres do korespondencji"), Font(8));
    c.memo(95, y + 4.2, w - 95, d.correspondence, Font(9), Qt::AlignLeft, true);

    const double rule = protocol ? LayoutPx(394) - 5.6 : LayoutPx(468) - 16;
    c.hline(0, w, rule, 0.3);
    if (!protocol) {
        c.label(0, rule + 1.2, QStringLiteral("Data początkowa: ") + d.start, Font(8));
        const QString endCaption = d.hasEnd ? QStringLiteral("Data końca umowy: ") + d.koniec
                                            : QStringLiteral("Umowa zawarta na czas nieokreślony");
        c.text(QRectF(w / 2, rule + 1.2, w / 2, 3.6), endCaption, Font(8), Qt::AlignRight | Qt::AlignTop);
        c.hline(0, w, rule + 5.6, 0.3);
    }
    c.text(QRectF(0, rule + (protocol ? 0.8 : 7), w, 4), d.opis, Font(9, true),
           Qt::AlignHCenter | Qt::AlignTop);
}

void TFormDrukUmowa::signatureBand(TBandCanvas& c, const Doc& d)
{
    const double w = c.width();
    const double bw = 70, top = 3, bh = 14;
    c.box(QRectF(0, top, bw, bh), QColor(), 0.2);
    c.box(QRectF(w - bw, top, bw, bh), QColor(), 0.2);
    c.text(QRectF(0, top + bh + 0.5, bw, 3.4), QStringLiteral("Podpis usługodawcy"), Font(7),
           Qt::AlignHCenter);
    c.text(QRectF(w - bw, top + bh + 0.5, bw, 3.4), QStringLiteral("Podpis usługobiorcy"), Font(7),
           Qt::AlignHCenter);
    const QString ids = QStringLiteral("PESEL: ") + d.pesel + QStringLiteral("   Nr dowodu: ") + d.dowod;
    c.text(QRectF(w - bw, top + bh + 3.9, bw, 3.4), ids, Font(7), Qt::AlignHCenter);
}

TFormDrukUmowa* FormDrukUmowa()
{
    static TFormDrukUmowa* form = new TFormDrukUmowa();
    return form;
}

// ---------------------------------------------------------------- routes

namespace {

QString printerSetting(int mode)
{
    return ReadIniString(
        OperatorId, mode == 2 ? QStringLiteral("DrukarkaPDF") : QStringLiteral("DrukarkaPapier"), QString());
}

// A stored report file of the earlier installation cannot be drawn by this
// program's report engine.
bool sayStoredPrintout()
{
    TMD::MessageDlg(
        QStringLiteral("Ta umowa ma zapisany wydruk z poprzedniej wersji programu, którego nie można "
                       "odtworzyć. Zapisz umowę z zaznaczonym polem \"Po zakończeniu edycji uaktualnij "
                       "zapisaną w bazie treść dokumentu\": zapisany wydruk zostanie usunięty, a umowa "
                       "będzie drukowana z szablonu."),
        mtInformation, mbOK);
    return false;
}

bool printStored(int umIndex)
{
    if (umIndex == 0 || RightDenied(4)) return false;
    if (umIndex < 0) {
        TMD::MessageDlg(UmowaBilansOtwarciaMessage, mtInformation, mbOK);
        return false;
    }
    if (GlobalSession()->GetQueryValueAsInteger(
            QStringLiteral("select UM_INDEXSZABLON from Umowy where UM_INDEX=:p1"), {umIndex}) == 0) {
        TMD::MessageDlg(kNoTemplate, mtInformation, mbOK);
        return false;
    }
    return sayStoredPrintout();
}

// True when the document was printed by its route.
bool printByRoute(int umIndex, int mode)
{
    if (HasStoredUmowaPrintout(umIndex)) return printStored(umIndex);
    PrintUmowa(umIndex, mode);
    return true;
}

} // namespace

void PrintUmowa(int umIndex, int mode)
{
    if (umIndex == 0 || RightDenied(4)) return;
    TDedicatedSession* s = GlobalSession();
    TFormDrukUmowa* form = FormDrukUmowa();
    form->PrinterName = printerSetting(mode);
    form->PrintVariant = ReadIniInteger(0, QStringLiteral("WariantWydrukuUmowy"), 0);
    form->QUmowy()->SetSQL(QStringLiteral("select Umowy.* , Szablony.* from Umowy left join Szablony on "
                                          "SZ_INDEX=UM_INDEXSZABLON where UM_INDEX=:p1"));
    form->QUmowy()->BindArgs({umIndex});
    if (mode == 2) {
        form->PrintDirect();
    } else {
        form->PrintPreview();
    }
    s->ExecQuery(QStringLiteral("update Umowy set UM_CZYWYDRUKOWANA=1 where UM_INDEX=:p1"), {umIndex});
}

void PrintStoredUmowa(int umIndex, int /*mode*/)
{
    printStored(umIndex);
}

void PrintUmowaDocument(int umIndex, int mode)
{
    if (umIndex == 0) return;
    printByRoute(umIndex, mode);
}

void PrintUmowaPdfCommand(int umIndex)
{
    if (umIndex == 0) return;
    if (printerSetting(2).isEmpty()) {
        TMD::MessageDlg(NoPdfPrinterMessage, mtInformation, mbOK);
        return;
    }
    printByRoute(umIndex, 2);
}

void SendUmowaDocument(int umIndex, const QString& channel)
{
    if (umIndex == 0 || RightDenied(4)) return;
    if (printerSetting(2).isEmpty()) {
        TMD::MessageDlg(NoPdfPrinterMessage, mtInformation, mbOK);
        return;
    }
    TDedicatedSession* s = GlobalSession();
    auto q = s->OpenQuery(
        QStringLiteral("select * from Umowy left join vUserdb on U_INDEX=UM_INDEXUSER where UM_INDEX=:p1"),
        {umIndex});
    if (q->IsEmpty() || q->FieldByName(UM::INDEX)->AsInteger() <= 0) {
        TMD::MessageDlg(UmowaBilansOtwarciaMessage, mtInformation, mbOK);
        return;
    }
    if (q->FieldByName(UM::INDEXSZABLON)->AsInteger() == 0) {
        TMD::MessageDlg(kNoTemplate, mtInformation, mbOK);
        return;
    }
    const QString email = q->FieldByName(QStringLiteral("U_EMAIL"))->AsString().trimmed();
    const bool byMail = channel == QLatin1String("email");
    if (byMail && email.isEmpty()) {
        TMD::MessageDlg(QStringLiteral("Brak adresu email w kartotece użytkownika"), mtError, mbOK);
        return;
    }
    const int kind = q->FieldByName(UM::CZYANEKS)->AsInteger();
    const QString name = UmowaDocumentName(kind, q->FieldByName(UM::NUMERTXT)->AsString());
    const QString file = PdfFileForTitle(name);
    if (QFile::exists(file)) QFile::remove(file);
    if (!printByRoute(umIndex, 2)) return;
    if (!WaitForFileDefault(file)) {
        TMD::MessageDlg(QStringLiteral("Nie udało się odnaleźć załącznika:\r\n") + file, mtError, mbOK);
        return;
    }
    if (byMail) {
        const QString dash = QStringLiteral("-");
        const int r = SendEmail(email, file, name, dash, dash, dash, dash, dash, dash, dash, 0, dash,
                                q->FieldByName(UM::INDEXUSER)->AsInteger());
        if (r == 0)
            TMD::MessageDlg(QStringLiteral("Wiadomość została wysłana"), mtInformation, mbOK);
        else
            TMD::MessageDlg(QStringLiteral("Nie udało się wysłać wiadomości"), mtError, mbOK);
        return;
    }
    const QString fileName = name + QStringLiteral(".pdf");
    if (StoreDocumentFileBlob(fileName, file, UmowaPortalKind(kind), umIndex)) {
        s->ExecQuery(QStringLiteral("update Umowy set UM_CZYNAIBOKU=1 where UM_INDEX=:p1"), {umIndex});
        TMD::MessageDlg(
            q->FieldByName(UM::CZYPODPISANA)->AsInteger() != 0
                ? QStringLiteral("Dokument wysłany na vIDId5")
                : QStringLiteral("Dokument wysłany na vIDId5 i oczekuje na podpisanie przez abonenta"),
            mtInformation, mbOK);
    } else {
        s->ExecQuery(QStringLiteral("update Umowy set UM_CZYNAIBOKU=0 where UM_INDEX=:p1"), {umIndex});
        TMD::MessageDlg(QStringLiteral("Nie udało się wysłać umowy na vOVE"), mtError, mbOK);
    }
}

void SendUmowaByEmail(int umIndex)
{
    SendUmowaDocument(umIndex, QStringLiteral("email"));
}

void SendUmowaToVove(int umIndex)
{
    SendUmowaDocument(umIndex, QStringLiteral("vove"));
}
