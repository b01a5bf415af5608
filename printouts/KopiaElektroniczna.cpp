#include "printouts/KopiaElektroniczna.h"

#include "core/DbError.h"
#include "core/DbIni.h"
#include "core/Funkcje.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/Session.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace {

// Fixed in the program: the writer and the checker must agree on it.
const char kKey[10] = {0x5A, 0x3B, 0x7E, 0x22, 0x0F, 0x61, 0x2E, 0x14, 0x47, 0x09};

const QString kCurrency = QStringLiteral("zł");

QString Address(const QString& street, const QString& house, const QString& flat)
{
    QString line = street + QLatin1Char(' ') + house;
    if (!flat.trimmed().isEmpty()) line += QLatin1Char('/') + flat;
    return line;
}

} // namespace

void TKopiaElektroniczna::PrepareSeller()
{
    auto get = [](const char* key) { return ReadIniString(0, QString::fromLatin1(key), QString()); };
    m_seller = {get("U_Nazwa1"), get("U_Nazwa2"), Address(get("U_Ulica"), get("U_NrDomu"), get("U_NrLokalu")),
                get("U_KodPocztowy") + QLatin1Char(' ') + get("U_Miejscowosc"),
                QStringLiteral("NIP ") + get("U_NIP")};
    m_lines.clear();
}

void TKopiaElektroniczna::AddInvoice(TDedicatedSession* session, const TQuery& fv)
{
    auto f = [&](const QString& name) { return fv.FieldByName(name)->AsString(); };
    auto sp = [](std::initializer_list<QString> parts) { return QStringList(parts).join(QLatin1Char(' ')); };
    m_lines << QStringLiteral("---------------- Numer: ") + f(QStringLiteral("FV_NUMERTXT"))
            << f(QStringLiteral("FV_DATAWYSTAWIENIA")) << QStringLiteral("Sprzedawca") << m_seller
            << QStringLiteral("Nabywca") << f(QStringLiteral("FV_NAZWISKO")) << f(QStringLiteral("FV_IMIE"))
            << Address(f(QStringLiteral("FV_ADR_ULICA")), f(QStringLiteral("FV_ADR_NRDOMU")),
                       f(QStringLiteral("FV_ADR_NRLOKALU")))
            << sp({f(QStringLiteral("FV_ADR_KOD")), f(QStringLiteral("FV_ADR_MIEJSCOWOSC"))})
            << QStringLiteral("NIP ") + f(QStringLiteral("FV_NIP")) << QStringLiteral("Pozycje -----");
    auto items = session->OpenQuery(
        QStringLiteral("select * from FvPozycje where FVP_INDEXFAKTURA=:p1 order by FVP_NAZWAUSLUGI"),
        {fv.FieldByName(QStringLiteral("FV_INDEX"))->AsInteger()});
    for (; !items->Eof(); items->Next()) {
        QString line = QStringLiteral("|");
        for (const char* col : {"FVP_NAZWAUSLUGI", "FVP_JEDNMIARY", "FVP_ILOSC", "FVP_CENANETTO",
                                "FVP_STAWKAVAT_TXT", "FVP_RABAT", "FVP_CENABRUTTO", "FVP_WARTOSCBRUTTO"})
            line += QLatin1Char(' ') + items->FieldByName(QString::fromLatin1(col))->AsString() +
                    QStringLiteral(" |");
        m_lines << line;
    }
    m_lines << QStringLiteral("Podsumowanie");
    for (const char* g : {"_A", "_B", "_C", "_D", "_G", "_NP"}) {
        const QString s = QString::fromLatin1(g);
        if (fv.FieldByName(QStringLiteral("FV_SUMABRUTTO") + s)->AsCurrency().isZero()) continue;
        m_lines << sp({f(QStringLiteral("FV_OPISVAT") + s), f(QStringLiteral("FV_SUMANETTO") + s),
                       f(QStringLiteral("FV_SUMAVAT") + s), f(QStringLiteral("FV_SUMABRUTTO") + s)});
    }
    m_lines << sp({f(QStringLiteral("FV_OPISVAT")), f(QStringLiteral("FV_SUMANETTO")),
                   f(QStringLiteral("FV_SUMAVAT")), f(QStringLiteral("FV_SUMABRUTTO"))})
            << QStringLiteral("Kwota rabatu: ") + f(QStringLiteral("FV_RABATSUMA")) + QLatin1Char(' ') +
                   kCurrency
            << QStringLiteral("Forma płatności: ") + f(QStringLiteral("FV_FORMAPLATNOSCI"))
            << QStringLiteral("Data płatności: ") + f(QStringLiteral("FV_DATAPLATNOSCI"))
            << QStringLiteral("Kwota wpłacona: ") + f(QStringLiteral("FV_KWOTAWPLACONA")) + QLatin1Char(' ') +
                   kCurrency
            << QStringLiteral("Kwota do zapłaty: ") + f(QStringLiteral("FV_KWOTADOZAPLATY")) +
                   QLatin1Char(' ') + kCurrency
            << QString(38, QLatin1Char('-')) << QString();
}

QString TKopiaElektroniczna::Save(const QDateTime& now)
{
    const QString folder = ExportFolder + QStringLiteral("EJ/");
    if (!QDir().mkpath(folder))
        throw EInOutError(QStringLiteral("Nie można utworzyć katalogu \"%1\"").arg(folder).toStdString());
    const QString stem = folder + QStringLiteral("EJ_") + now.toString(QStringLiteral("yyyyMMddHHmmss"));
    const QString dat = stem + QStringLiteral(".dat");
    QFile::remove(dat);
    QByteArray data;
    for (const QString& line : m_lines)
        data += StringToCp1250(line) + "\r\n";
    auto save = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
            !file.flush())
            throw EInOutError(QStringLiteral("Nie można zapisać pliku \"%1\": %2")
                                  .arg(path, file.errorString())
                                  .toStdString());
    };
    save(dat, data);
    m_lines.clear();
    save(stem + QStringLiteral(".sig"), SignatureOf(dat).toLatin1() + "\r\n");
    return dat;
}

QString TKopiaElektroniczna::SignatureOf(const QString& datPath)
{
    const QString h = FileMd5Hex(datPath);
    const QByteArray u =
        QCryptographicHash::hash(QByteArray(kKey, sizeof kKey) + h.toLatin1(), QCryptographicHash::Md5)
            .toHex()
            .toUpper();
    return h + QString::fromLatin1(u);
}

TKopiaElektroniczna::TVerifyResult TKopiaElektroniczna::Verify(const QString& datPath)
{
    if (datPath.size() < 3) return vrError;
    QFile sig(datPath.left(datPath.size() - 3) + QStringLiteral("sig"));
    if (!sig.open(QIODevice::ReadOnly)) return vrError;
    QByteArray line = sig.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    try {
        return SignatureOf(datPath).toLatin1() == line ? vrValid : vrInvalid;
    } catch (const std::exception&) {
        return vrError;
    }
}

QString TKopiaElektroniczna::VerifyText(TVerifyResult result)
{
    switch (result) {
    case vrValid:
        return QStringLiteral("Weryfikacja pliku dat poprawna");
    case vrInvalid:
        return QStringLiteral("Niepoprawny wynik weryfikacji pliku dat!");
    case vrError:
        break;
    }
    return QStringLiteral("Bład przy weryfikacji pliku dat");
}
