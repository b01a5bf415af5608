#include "ksef/KsefHtml.h"

#include "ksef/KsefError.h"
#include "ksef/KsefResults.h"
#include "ksef/KsefStream.h"

#include <QFileInfo>

#include <libxml/HTMLtree.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <vector>

namespace {

const xmlChar* X(const char* s)
{
    return reinterpret_cast<const xmlChar*>(s);
}

bool named(const xmlNode* n, const char* name)
{
    return n && n->type == XML_ELEMENT_NODE && xmlStrEqual(n->name, X(name));
}

// Namespaces differ between FA versions; the local names are what the page needs.
const xmlNode* child(const xmlNode* n, const char* name)
{
    for (const xmlNode* c = n ? n->children : nullptr; c; c = c->next)
        if (named(c, name)) return c;
    return nullptr;
}

std::vector<const xmlNode*> children(const xmlNode* n, const char* name)
{
    std::vector<const xmlNode*> out;
    for (const xmlNode* c = n ? n->children : nullptr; c; c = c->next)
        if (named(c, name)) out.push_back(c);
    return out;
}

QString text(const xmlNode* n)
{
    if (!n) return QString();
    xmlChar* t = xmlNodeGetContent(n);
    QString s = QString::fromUtf8(reinterpret_cast<const char*>(t)).trimmed();
    xmlFree(t);
    return s;
}

// Text at a path of local names: "DaneIdentyfikacyjne/NIP".
QString at(const xmlNode* n, const char* path)
{
    const QList<QByteArray> parts = QByteArray(path).split('/');
    for (const QByteArray& p : parts)
        n = child(n, p.constData());
    return text(n);
}

class Page
{
public:
    Page()
    {
        m_doc = htmlNewDocNoDtD(nullptr, nullptr);
        xmlNodePtr html = xmlNewDocNode(m_doc, nullptr, X("html"), nullptr);
        xmlDocSetRootElement(m_doc, html);
        xmlNewProp(html, X("lang"), X("pl"));
        m_head = xmlNewChild(html, nullptr, X("head"), nullptr);
        m_body = xmlNewChild(html, nullptr, X("body"), nullptr);
        htmlSetMetaEncoding(m_doc, X("UTF-8"));
    }
    ~Page() { xmlFreeDoc(m_doc); }

    xmlNodePtr Head() const { return m_head; }
    xmlNodePtr Body() const { return m_body; }

    static xmlNodePtr Add(xmlNodePtr parent, const char* tag, const QString& content = QString())
    {
        xmlNodePtr n = xmlNewChild(parent, nullptr, X(tag), nullptr);
        if (!content.isEmpty()) xmlAddChild(n, xmlNewText(X(content.toUtf8().constData())));
        return n;
    }

    QByteArray Dump() const
    {
        xmlChar* buf = nullptr;
        int size = 0;
        htmlDocDumpMemoryFormat(m_doc, &buf, &size, 1);
        QByteArray out =
            QByteArrayLiteral("<!DOCTYPE html>\n") + QByteArray(reinterpret_cast<const char*>(buf), size);
        xmlFree(buf);
        return out;
    }

private:
    xmlDocPtr m_doc;
    xmlNodePtr m_head;
    xmlNodePtr m_body;
};

QString kindTitle(const QString& kind)
{
    if (kind == QLatin1String("KOR")) return QStringLiteral("Faktura korygująca");
    if (kind == QLatin1String("ZAL")) return QStringLiteral("Faktura zaliczkowa");
    if (kind == QLatin1String("ROZ")) return QStringLiteral("Faktura rozliczeniowa");
    if (kind == QLatin1String("UPR")) return QStringLiteral("Faktura uproszczona");
    if (kind == QLatin1String("KOR_ZAL")) return QStringLiteral("Faktura korygująca fakturę zaliczkową");
    if (kind == QLatin1String("KOR_ROZ")) return QStringLiteral("Faktura korygująca fakturę rozliczeniową");
    return QStringLiteral("Faktura VAT");
}

QString paymentForm(const QString& code)
{
    static const char* forms[] = {"gotówka", "karta", "bon", "czek", "kredyt", "przelew", "mobilna"};
    const int i = code.toInt();
    return i >= 1 && i <= 7 ? QString::fromUtf8(forms[i - 1]) : code;
}

// Key/value rows of a two-column table; empty values are left out.
void rows(xmlNodePtr table, const QList<QPair<QString, QString>>& items)
{
    for (const auto& item : items) {
        if (item.second.isEmpty()) continue;
        xmlNodePtr tr = Page::Add(table, "tr");
        Page::Add(tr, "th", item.first);
        Page::Add(tr, "td", item.second);
    }
}

QString partyId(const xmlNode* party)
{
    const xmlNode* id = child(party, "DaneIdentyfikacyjne");
    if (!at(id, "NIP").isEmpty())
        return QStringLiteral("NIP: ") + at(party, "PrefiksPodatnika") + at(id, "NIP");
    if (!at(id, "NrVatUE").isEmpty()) return QStringLiteral("VAT UE: ") + at(id, "KodUE") + at(id, "NrVatUE");
    if (!at(id, "NrID").isEmpty())
        return QStringLiteral("Identyfikator: ") + at(id, "KodKraju") + QLatin1Char(' ') + at(id, "NrID");
    return QString();
}

void party(xmlNodePtr body, const char* title, const xmlNode* p)
{
    if (!p) return;
    Page::Add(body, "h2", QString::fromUtf8(title));
    xmlNodePtr table = Page::Add(body, "table");
    xmlNewProp(table, X("class"), X("party"));
    const xmlNode* adres = child(p, "Adres");
    rows(table, {{QStringLiteral("Nazwa"), at(p, "DaneIdentyfikacyjne/Nazwa")},
                 {QStringLiteral("Identyfikator"), partyId(p)},
                 {QStringLiteral("Adres"),
                  (at(adres, "AdresL1") + QLatin1Char(' ') + at(adres, "AdresL2")).trimmed()},
                 {QStringLiteral("Kraj"), at(adres, "KodKraju")},
                 {QStringLiteral("E-mail"), at(p, "DaneKontaktowe/Email")},
                 {QStringLiteral("Telefon"), at(p, "DaneKontaktowe/Telefon")}});
}

} // namespace

TKsefXmlDocument::TKsefXmlDocument(const QString& reader, const QString& path) : m_path(path)
{
    if (reader != QLatin1String("TlgMSXMLReader"))
        throw EKsefError(QStringLiteral("Nieznany czytnik XML: ") + reader);
    if (!QFileInfo(path).isFile()) throw EKsefError(QStringLiteral("Brak pliku XML: ") + path);
    m_doc = xmlReadFile(QFile::encodeName(path).constData(), nullptr,
                        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!m_doc) {
        const xmlError* e = xmlGetLastError();
        throw EKsefError(
            QStringLiteral("Plik nie jest poprawnym dokumentem XML: %1 (%2)")
                .arg(path, e && e->message ? QString::fromUtf8(e->message).trimmed() : QString()));
    }
}

TKsefXmlDocument::~TKsefXmlDocument()
{
    xmlFreeDoc(m_doc);
}

TKsefXslTransformation::TKsefXslTransformation(const QString& provider)
{
    if (provider != QLatin1String("TlgMSXMLXSLTransformation"))
        throw EKsefError(QStringLiteral("Nieznany dostawca transformacji XSLT: ") + provider);
}

void TKsefXslTransformation::Transform(const TKsefXmlDocument& document, TKsefFileStream& output) const
{
    output.Write(ToHtml(document));
    output.Close();
}

QByteArray TKsefXslTransformation::ToHtml(const TKsefXmlDocument& document) const
{
    const xmlNode* root = xmlDocGetRootElement(document.Doc());
    const xmlNode* fa = child(root, "Fa");
    if (!named(root, "Faktura") || !fa)
        throw EKsefError(QStringLiteral("Dokument nie jest fakturą ustrukturyzowaną FA: ") +
                         document.FileName());

    Page page;
    const QString number = at(fa, "P_2");
    const QString title = kindTitle(at(fa, "RodzajFaktury")) + QStringLiteral(" nr ") + number;
    Page::Add(page.Head(), "title", title);
    Page::Add(page.Head(), "style",
              QStringLiteral(
                  "body{font-family:sans-serif;margin:2em}table{border-collapse:collapse;margin-bottom:1em}"
                  "th,td{border:1px solid #999;padding:3px 8px;text-align:left}"
                  "td.num{text-align:right}tr.before{color:#777}"));
    xmlNodePtr body = page.Body();
    Page::Add(body, "h1", title);

    xmlNodePtr head = Page::Add(body, "table");
    xmlNewProp(head, X("class"), X("header"));
    const QString base = QFileInfo(document.FileName()).completeBaseName();
    QString salePeriod = at(fa, "P_6");
    if (salePeriod.isEmpty() && child(fa, "OkresFa"))
        salePeriod = at(fa, "OkresFa/P_6_Od") + QStringLiteral(" – ") + at(fa, "OkresFa/P_6_Do");
    rows(head, {{QStringLiteral("Numer KSeF"), KsefNumberValid(base) ? base : QString()},
                {QStringLiteral("Data wystawienia"), at(fa, "P_1")},
                {QStringLiteral("Miejsce wystawienia"), at(fa, "P_1M")},
                {QStringLiteral("Data dostawy / wykonania usługi"), salePeriod},
                {QStringLiteral("Waluta"), at(fa, "KodWaluty")},
                {QStringLiteral("Przyczyna korekty"), at(fa, "PrzyczynaKorekty")}});
    for (const xmlNode* k : children(fa, "DaneFaKorygowanej")) {
        xmlNodePtr t = Page::Add(body, "table");
        rows(t, {{QStringLiteral("Faktura korygowana"), at(k, "NrFaKorygowanej")},
                 {QStringLiteral("Data wystawienia faktury korygowanej"), at(k, "DataWystFaKorygowanej")},
                 {QStringLiteral("Numer KSeF faktury korygowanej"), at(k, "NrKSeFFaKorygowanej")}});
    }

    party(body, "Sprzedawca", child(root, "Podmiot1"));
    party(body, "Nabywca", child(root, "Podmiot2"));

    const std::vector<const xmlNode*> lines = children(fa, "FaWiersz");
    if (!lines.empty()) {
        Page::Add(body, "h2", QStringLiteral("Pozycje"));
        xmlNodePtr table = Page::Add(body, "table");
        xmlNewProp(table, X("class"), X("lines"));
        xmlNodePtr tr = Page::Add(table, "tr");
        for (const char* h : {"Lp.", "Nazwa", "J.m.", "Ilość", "Cena netto", "Cena brutto", "Wartość netto",
                              "Wartość brutto", "Stawka VAT"})
            Page::Add(tr, "th", QString::fromUtf8(h));
        for (const xmlNode* w : lines) {
            xmlNodePtr row = Page::Add(table, "tr");
            if (!at(w, "StanPrzed").isEmpty()) xmlNewProp(row, X("class"), X("before"));
            QString name = at(w, "P_7");
            if (!at(w, "StanPrzed").isEmpty()) name += QStringLiteral(" (przed korektą)");
            const QString rate = at(w, "P_12");
            const bool numericRate = !rate.isEmpty() && rate.at(0).isDigit();
            const QString cells[] = {
                at(w, "NrWierszaFa"), name,           at(w, "P_8A"),
                at(w, "P_8B"),        at(w, "P_9A"),  at(w, "P_9B"),
                at(w, "P_11"),        at(w, "P_11A"), numericRate ? rate + QStringLiteral("%") : rate};
            for (int i = 0; i < 9; ++i) {
                xmlNodePtr td = Page::Add(row, "td", cells[i]);
                if (i >= 3) xmlNewProp(td, X("class"), X("num"));
            }
        }
    }

    static const struct
    {
        const char* net;
        const char* vat;
        const char* label;
    } rates[] = {{"P_13_1", "P_14_1", "stawka podstawowa (23% lub 22%)"},
                 {"P_13_2", "P_14_2", "stawka obniżona (8% lub 7%)"},
                 {"P_13_3", "P_14_3", "stawka obniżona (5%)"},
                 {"P_13_4", "P_14_4", "ryczałt dla taksówek"},
                 {"P_13_5", "P_14_5", "procedura szczególna OSS"},
                 {"P_13_6_1", nullptr, "0% (kraj)"},
                 {"P_13_6_2", nullptr, "0% (WDT)"},
                 {"P_13_6_3", nullptr, "0% (eksport)"},
                 {"P_13_7", nullptr, "zwolnione z podatku"},
                 {"P_13_8", nullptr, "niepodlegające opodatkowaniu w kraju"},
                 {"P_13_9", nullptr, "usługi z art. 100 ust. 1 pkt 4"},
                 {"P_13_10", nullptr, "odwrotne obciążenie"},
                 {"P_13_11", nullptr, "procedura marży"}};
    Page::Add(body, "h2", QStringLiteral("Podsumowanie"));
    xmlNodePtr sums = Page::Add(body, "table");
    xmlNewProp(sums, X("class"), X("sums"));
    xmlNodePtr sumHead = Page::Add(sums, "tr");
    for (const char* h : {"Stawka", "Netto", "VAT"})
        Page::Add(sumHead, "th", QString::fromUtf8(h));
    for (const auto& r : rates) {
        const QString net = at(fa, r.net);
        if (net.isEmpty()) continue;
        xmlNodePtr tr = Page::Add(sums, "tr");
        Page::Add(tr, "td", QString::fromUtf8(r.label));
        xmlNewProp(Page::Add(tr, "td", net), X("class"), X("num"));
        xmlNewProp(Page::Add(tr, "td", r.vat ? at(fa, r.vat) : QString()), X("class"), X("num"));
    }
    xmlNodePtr total = Page::Add(body, "p");
    xmlNewProp(total, X("class"), X("total"));
    Page::Add(total, "strong",
              QStringLiteral("Kwota należności ogółem: ") + at(fa, "P_15") + QLatin1Char(' ') +
                  at(fa, "KodWaluty"));

    const xmlNode* pay = child(fa, "Platnosc");
    if (pay) {
        Page::Add(body, "h2", QStringLiteral("Płatność"));
        xmlNodePtr t = Page::Add(body, "table");
        QStringList accounts;
        for (const xmlNode* rb : children(pay, "RachunekBankowy"))
            accounts << at(rb, "NrRB");
        rows(t, {{QStringLiteral("Forma płatności"), paymentForm(at(pay, "FormaPlatnosci"))},
                 {QStringLiteral("Termin płatności"), at(pay, "TerminPlatnosci/Termin")},
                 {QStringLiteral("Zapłacono"),
                  at(pay, "Zaplacono") == QLatin1String("1") ? at(pay, "DataZaplaty") : QString()},
                 {QStringLiteral("Rachunek bankowy"), accounts.join(QStringLiteral(", "))}});
    }

    const std::vector<const xmlNode*> notes = children(fa, "DodatkowyOpis");
    if (!notes.empty()) {
        Page::Add(body, "h2", QStringLiteral("Informacje dodatkowe"));
        xmlNodePtr t = Page::Add(body, "table");
        for (const xmlNode* n : notes)
            rows(t, {{at(n, "Klucz"), at(n, "Wartosc")}});
    }
    const xmlNode* footer = child(root, "Stopka");
    if (footer) {
        xmlNodePtr t = Page::Add(body, "table");
        xmlNewProp(t, X("class"), X("footer"));
        QStringList info;
        for (const xmlNode* i : children(footer, "Informacje"))
            info << at(i, "StopkaFaktury");
        rows(t, {{QStringLiteral("Stopka"), info.join(QLatin1Char(' '))},
                 {QStringLiteral("KRS"), at(footer, "Rejestry/KRS")},
                 {QStringLiteral("REGON"), at(footer, "Rejestry/REGON")},
                 {QStringLiteral("BDO"), at(footer, "Rejestry/BDO")}});
    }
    return page.Dump();
}
