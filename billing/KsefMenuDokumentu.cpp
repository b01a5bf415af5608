#include "billing/KsefMenuDokumentu.h"

#include "core/DialogPL.h"
#include "core/FormEx.h"
#include "core/Funkcje2.h"
#include "ksef/KsefOperacje.h"

#include <QMenu>
#include <QString>
#include <QTableView>

namespace {

// The operation's last text, in the plain message of the menu.
void Tell(const QString& text)
{
    TMD::MessageDlg(text, mtInformation, mbOK);
}

bool CertificatesOk(int mode)
{
    if (KsefCertificatesPresent(mode)) return true;
    TMD::MessageDlg(
        mode == 1 ? QStringLiteral("W konfiguracji nie wskazano certyfikatów dla połączenia z KSeF Online")
                  : QStringLiteral("W konfiguracji nie wskazano certyfikatów dla KSeF Offline"),
        mtError, mbOK);
    return false;
}

// Runs one item on the current document; nothing without one. An error is
// shown by the window, after the session the item opened is closed.
void RunItem(TFormEx* form, const TKsefMenuTarget& t, const std::function<void(int key, QString& text)>& item)
{
    form->RunGuarded([&] {
        const int key = t.key();
        if (key <= 0) return;
        QString text;
        try {
            item(key, text);
        } catch (...) {
            QString ignored;
            try {
                KsefCloseSession(ignored);
            } catch (...) {
            }
            throw;
        }
    });
}

} // namespace

QMenu* BuildKsefDocumentMenu(TFormEx* parent, TKsefMenuTarget t)
{
    auto* menu = new QMenu(parent);
    const bool fv = t.kind == 'F';
    const auto add = [menu, parent, t](const char* caption, std::function<void(int, QString&)> item) {
        QObject::connect(menu->addAction(QString::fromUtf8(caption)), &QAction::triggered, menu,
                         [parent, t, item] { RunItem(parent, t, item); });
    };
    add("Wyślij", [t, fv](int key, QString& text) {
        if (!CertificatesOk(1)) return;
        if (TMD::MessageDlg(QStringLiteral("Czy wysłać wybrnaną fakture do KSeF?"), mtConfirmation,
                            mbYes | mbNo) != mrYes)
            return;
        KsefInit(1, t.company(), text);
        KsefOpenSession(text);
        fv ? KsefSendFv(key, text) : KsefSendFvk(key, text);
        WaitProcessingMessages(t.sendWaitMs);
        fv ? KsefCheckFvStatus(key, text) : KsefCheckFvkStatus(key, text);
        Tell(text);
        t.reread();
        KsefCloseSession(text);
    });
    add("Sprawdż", [t, fv](int key, QString& text) {
        if (!CertificatesOk(1)) return;
        KsefInit(1, t.company(), text);
        KsefOpenSession(text);
        fv ? KsefCheckFvStatus(key, text) : KsefCheckFvkStatus(key, text);
        Tell(text);
        t.reread();
        KsefCloseSession(text);
    });
    add("Status sesji", [t](int, QString& text) {
        if (!CertificatesOk(1)) return;
        KsefInit(1, t.company(), text);
        KsefOpenSession(text);
        KsefCheckSession(t.sessionRef(), text);
        Tell(text);
        KsefCloseSession(text);
    });
    add("Offline", [t, fv](int key, QString& text) {
        if (!CertificatesOk(2)) return;
        fv ? KsefSendFvOffline(key, text) : KsefSendFvkOffline(key, text);
        Tell(text);
        t.reread();
    });
    add("Pobierz UPO", [t, fv](int key, QString& text) {
        KsefInit(1, t.company(), text);
        fv ? KsefGetFvUpo(key, text) : KsefGetFvkUpo(key, text);
        Tell(text);
    });
    return menu;
}

TKsefMenuTarget KsefRowTarget(char kind, std::function<QString(const QString& field)> field,
                              std::function<void()> reread, int sendWaitMs)
{
    const QString p = kind == 'F' ? QStringLiteral("FV_") : QStringLiteral("FVK_");
    TKsefMenuTarget t;
    t.kind = kind;
    t.key = [field, p] { return field(p + QStringLiteral("INDEX")).toInt(); };
    t.company = [field, p] { return field(p + QStringLiteral("PODMIOT")).toInt(); };
    t.sessionRef = [field, p] { return field(p + QStringLiteral("KSEF_NRREFSESJI")); };
    t.reread = std::move(reread);
    t.sendWaitMs = sendWaitMs;
    return t;
}

void AddKsefNumberCopyMenu(QTableView* grid, std::function<QString()> number)
{
    auto* menu = new QMenu(grid);
    QObject::connect(menu->addAction(QStringLiteral("Kopiuj numer KSeF")), &QAction::triggered, grid,
                     [number] { CopyTextToClipboard(number()); });
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(grid, &QWidget::customContextMenuRequested, grid,
                     [grid, menu](const QPoint& pos) { menu->popup(grid->viewport()->mapToGlobal(pos)); });
}

void OpenKsefClientAhead()
{
    try {
        QString ignored;
        KsefInitMain(1, ignored);
    } catch (const std::exception&) {
    }
}
