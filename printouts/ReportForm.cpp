#include "printouts/ReportForm.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Session.h"
#include "platform/PdfPrinter.h"
#include "printouts/NaprawaOkienkaPostepuDrukowania.h"
#include "printouts/PodgladRaportu.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QPrinter>
#include <mutex>

// ---------------------------------------------------------------- formats

namespace {

QString groupThousands(const QString& digits)
{
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += QLatin1Char(' ');
        out += digits[i];
    }
    return out;
}

// Value rounded half away from zero to Places decimals, as text with a comma
// and grouped thousands; trailing zeros kept down to MinPlaces.
QString formatFixed(Amount4 value, int places, int minPlaces)
{
    qint64 raw = value.raw;
    const bool neg = raw < 0;
    if (neg) raw = -raw;
    qint64 div = 1;
    for (int i = places; i < 4; ++i)
        div *= 10;
    qint64 scaled = (raw + div / 2) / div; // value * 10^places
    qint64 pow = 1;
    for (int i = 0; i < places; ++i)
        pow *= 10;
    const qint64 whole = scaled / pow;
    QString frac =
        places > 0 ? QStringLiteral("%1").arg(scaled % pow, places, 10, QLatin1Char('0')) : QString();
    while (frac.size() > minPlaces && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    QString text = groupThousands(QString::number(whole));
    if (!frac.isEmpty()) text += QLatin1Char(',') + frac;
    if (neg && scaled != 0) text.prepend(QLatin1Char('-'));
    return text;
}

} // namespace

QString FormatMoney(Amount4 value)
{
    return formatFixed(value, 2, 2);
}

QString FormatGeneral(Amount4 value)
{
    QString t = formatFixed(value, 4, 0);
    return t.remove(QLatin1Char(' '));
}

QString FormatQuantity(Amount4 value)
{
    return formatFixed(value, 3, 0);
}

QString FormatPercent(Amount4 value)
{
    return formatFixed(value, 2, 2) + QLatin1Char('%');
}

// ---------------------------------------------------------------- titles

QString ReportTitleNow()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString TitleNumber(const QString& number)
{
    return QString(number).replace(QLatin1Char('/'), QLatin1Char('_'));
}

QString DocumentReportTitle(int rowCount, const QString& prefix, const QString& number,
                            const QString& several)
{
    return rowCount == 1 ? prefix + TitleNumber(number) : several + ReportTitleNow();
}

// ---------------------------------------------------------------- shared blocks

namespace {
QString ini(const char* key, const char* def = "")
{
    return ReadIniString(0, QString::fromLatin1(key), QString::fromUtf8(def));
}
} // namespace

QString SellerStreetLine()
{
    QString s = ini("U_Ulica") + QLatin1Char(' ') + ini("U_NrDomu");
    const QString flat = ini("U_NrLokalu").trimmed();
    if (!flat.isEmpty()) s += QLatin1Char('/') + ini("U_NrLokalu");
    return s;
}

TSellerHeader ReadSellerHeader(const QString& subscriberAccount)
{
    TSellerHeader h;
    h.lines[0] = ini("U_Nazwa1");
    h.lines[1] = ini("U_Nazwa2", "Proszę wpisać swoją nazwę firmy");
    h.lines[2] = SellerStreetLine();
    h.lines[3] = ini("U_KodPocztowy") + QLatin1Char(' ') + ini("U_Miejscowosc");
    h.lines[4] = QStringLiteral("NIP ") + ini("U_NIP");
    h.lines[5] = ini("U_TelefonEmail");
    const QString subBank = ini("U_NazwaBankuSubkonta");
    const bool sub = !subscriberAccount.trimmed().isEmpty();
    h.lines[6] = (!subBank.trimmed().isEmpty() && sub) ? subBank : ini("U_NazwaBanku");
    h.lines[7] = sub ? subscriberAccount : ini("U_NrKonta");
    h.lines[8] = ini("U_Www");
    h.lines[9] = ini("U_WwwVove");
    return h;
}

QString CorrespondenceAddress(const QString& czyAdresDoKoresp, const QString& korAdres, const QString& adres2)
{
    if (czyAdresDoKoresp != QLatin1String("1")) return adres2;
    return korAdres.trimmed().isEmpty() ? adres2 : korAdres;
}

TBalanceLines MakeBalanceLines(Amount4 saldo, Amount4 saldoZalegle, const QDate& today)
{
    TBalanceLines b;
    const QString head = QStringLiteral("Kwota salda na dzień ") + today.toString(Qt::ISODate);
    const QString zl = QStringLiteral(" zł");
    if (saldo.raw > 0)
        b.first = head + QStringLiteral(" (nadpłata) ") + FormatMoney(saldo) + zl;
    else if (saldo.raw < 0)
        b.first = head + QStringLiteral(" (do uregulowania) ") + FormatMoney(saldo.abs()) + zl;
    else
        b.first = head + QStringLiteral(" (rozliczony) ") + FormatMoney(saldo) + zl;
    if (saldoZalegle.raw > 0) {
        b.second = QStringLiteral("w tym zobowiązań po terminie na kwotę ") + FormatMoney(saldoZalegle) + zl;
        b.secondHighlighted = true;
    }
    return b;
}

QString OperatorFullName(int operatorId)
{
    return GlobalSession()->GetQueryValueAsString(
        QStringLiteral("select concat(OP_IMIE, :p1, OP_NAZWISKO) from Operator where OP_INDEX=:p2"),
        {QStringLiteral(" "), operatorId});
}

QImage LoadReportPicture(const QString& fileName)
{
    struct Cached
    {
        QDateTime modified;
        qint64 size = -1;
        QImage image;
    };
    static std::mutex mutex;
    static QHash<QString, Cached> cache;
    const QString path = PrivateFolder + fileName;
    const QFileInfo fi(path);
    std::lock_guard lock(mutex);
    if (!fi.exists()) {
        cache.remove(path);
        return QImage();
    }
    Cached& c = cache[path];
    if (c.size == fi.size() && c.modified == fi.lastModified()) return c.image;
    c.modified = fi.lastModified();
    c.size = fi.size();
    QImage img;
    if (!img.load(path)) img = QImage(); // an unreadable picture prints as none
    c.image = img;
    return img;
}

// ---------------------------------------------------------------- report printer

void TReportPrinter::SetProgress(int percent)
{
    Progress = percent;
    emit ProgressChanged(percent);
}

void TReportPrinter::SetBusy(bool busy)
{
    Busy = busy;
    emit PageAvailable();
}

bool TReportPrinter::Print(int copies)
{
    if (!Document) return false;
    bool ok = true;
    for (int copy = 0; copy < copies && ok; ++copy) {
        TPrintTarget target = OpenPrintTarget(PrinterName, Title.isEmpty() ? Document->title : Title);
        PdfFile = target.pdfFile;
        TPrintProgress progress(this);
        ok = Document->print(*target.printer, [&](int percent) { return progress.Step(percent); });
    }
    return ok;
}

// ---------------------------------------------------------------- forms

TReportForm::~TReportForm() = default;

void TReportForm::choosePrinter()
{
    PrinterIndex = FindPrinterIndex(PrinterName);
}

void TReportForm::PrintDirect()
{
    choosePrinter();
    LastDocument = BuildReport();
    TReportPrinter printer;
    printer.Document = LastDocument;
    printer.Title = LastDocument->title;
    printer.PrinterName = PrinterName;
    printer.Print();
    LastPdfFile = printer.PdfFile;
}

TFormPodgladRaportu* TReportForm::PrintPreview()
{
    choosePrinter();
    auto* printer = new TReportPrinter();
    printer->PrinterName = PrinterName;
    printer->SetBusy(true);
    LastDocument = BuildReport();
    printer->Document = LastDocument;
    printer->Title = LastDocument->title;
    printer->OnPreviewClosed = [this] { AfterPreview(); };
    auto* preview = TFormPodgladRaportu::CreatePreview(nullptr, printer);
    printer->setParent(preview);
    printer->SetProgress(100);
    printer->SetBusy(false);
    preview->show();
    return preview;
}
