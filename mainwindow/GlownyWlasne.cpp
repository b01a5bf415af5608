// The main window's own small commands: the timing log behind the version
// panel, "Generowanie faktur", "Wystaw PZ", the document lists and the
// gambling domain list.
#include "mainwindow/Glowny.h"

#include "core/DialogPL.h"
#include "core/LogTemp.h"
#include "core/Operatorzy.h"
#include "core/Session.h"
#include "network/HazardDomeny.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

std::function<void()> TFormGlowny::OpenInvoicingRun;
std::function<void()> TFormGlowny::AskForCompanyName;
std::function<bool()> TFormGlowny::OpenNewUser;
std::function<bool(int)> TFormGlowny::OpenUserEditor;
std::function<void()> TFormGlowny::OpenBulkPayments;
TFormGlowny::TListOpeners TFormGlowny::ListOpeners;
std::function<void()> TFormGlowny::OpenBulkOutput;
std::function<void()> TFormGlowny::OpenElectronicCopyCheck;
std::function<void()> TFormGlowny::OpenKsef;
std::function<void()> TFormGlowny::OpenKsefReceived;

namespace {

// Runs a handler on a left double click of the watched widget.
class TDoubleClickFilter : public QObject
{
public:
    TDoubleClickFilter(QWidget* watched, std::function<void()> handler)
        : QObject(watched), m_handler(std::move(handler))
    {
        watched->installEventFilter(this);
        for (QWidget* child : watched->findChildren<QWidget*>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::MouseButtonDblClick ||
            static_cast<QMouseEvent*>(e)->button() != Qt::LeftButton)
            return false;
        m_handler();
        return true;
    }

private:
    std::function<void()> m_handler;
};

} // namespace

QWidget* TFormGlowny::buildThemedPanel20(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("ThemedPanel20"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* l = new QVBoxLayout(panel);
    l->setContentsMargins(4, 2, 4, 2);
    auto* version = new QLabel(QStringLiteral("Orlix6 KSeF ") + ProgramVersion, panel);
    version->setAlignment(Qt::AlignCenter);
    l->addWidget(version);
    new TDoubleClickFilter(panel, [this] { RunGuarded([this] { ThemedPanel20DblClick(); }); });
    ThemedPanel20 = panel;
    return panel;
}

void TFormGlowny::ThemedPanel20DblClick()
{
    if (!FormLogTemp) FormLogTemp = new TFormLogTemp();
    FormLogTemp->exec();
}

void TFormGlowny::SpeedButtonEx20Click()
{
    if (RightDenied(1)) return;
    if (!OpenInvoicingRun) return notAvailable(QStringLiteral("Generowanie faktur"));
    OpenInvoicingRun();
    RefreshUsers();
}

void TFormGlowny::addUser()
{
    if (!OpenNewUser) return notAvailable(QStringLiteral("Dodaj"));
    OpenNewUser();
}

void TFormGlowny::editUser()
{
    if (!OpenUserEditor) return notAvailable(QStringLiteral("Edytuj"));
    const int id = CurrentUserIndex();
    if (id != 0 && OpenUserEditor(id)) RefreshUsers();
}

void TFormGlowny::PlatnosciMasoweClick()
{
    if (RightDenied(2)) return;
    if (!OpenBulkPayments) return notAvailable(QStringLiteral("Płatności masowe"));
    OpenBulkPayments();
    RefreshUsers();
}

void TFormGlowny::SpeedButtonEx23Click()
{
    issueDemand();
}

void TFormGlowny::Uaktualnij()
{
    if (TMD::MessageDlg(
            QStringLiteral("Czy chcesz pobrać aktualną listę domen blokowanych na podstawie Ustawy "
                           "Hazardowej?"),
            mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    UpdateHazardDomains();
    TMD::MessageDlg(QStringLiteral("Zakończono aktualizację listy domen"), mtInformation, mbOK);
}

void TFormGlowny::openList(const QString& caption, int level, const std::function<void()>& opener)
{
    if (RightDenied(level)) return;
    if (!opener) return notAvailable(caption);
    opener();
    RefreshUsers();
}

void TFormGlowny::ShowUserInvoices()
{
    openList(QStringLiteral("Pokaz faktury"), 3,
             ListOpeners.fvUser ? [] { ListOpeners.fvUser(0); } : std::function<void()>());
}

void TFormGlowny::ShowUserDemands()
{
    openList(QStringLiteral("Pokaż PZ"), 3,
             ListOpeners.pzUser ? [] { ListOpeners.pzUser(0); } : std::function<void()>());
}
