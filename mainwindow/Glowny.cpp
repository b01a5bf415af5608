#include "mainwindow/Glowny.h"

#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Session.h"

#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

std::atomic<bool> TFormGlowny::Closing{false};
std::atomic<bool> TFormGlowny::PingRunning{false};
std::atomic<bool> TFormGlowny::VoveRunning{false};
std::atomic<bool> TFormGlowny::IntruxRunning{false};
TFormGlowny* FormGlowny = nullptr;

TFormGlowny::TFormGlowny(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("Orlix6 KSeF (%1) ").arg(ProgramVersion));
    // The private folder is also where private sessions make their folders.
    PrivateFolder = ProgramFolder() + QStringLiteral("orlix_priv/");
    QDir().mkpath(PrivateFolder);
    DefaultSessionPrivateDir = PrivateFolder;
    HostId = GetHostId();
    OperatorRightsLevel = 1;

    auto* layout = new QVBoxLayout(this);
    m_info = new QLabel(QStringLiteral("Orlix6 KSeF %1\nStanowisko: %2").arg(ProgramVersion, HostId), this);
    m_info->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_info);
    resize(900, 600);
}
