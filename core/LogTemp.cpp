#include "core/LogTemp.h"

#include "core/ActivityLog.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje2.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/Session.h"
#include "platform/ArchiverZip.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

TFormLogTemp* FormLogTemp = nullptr;

TFormLogTemp::TFormLogTemp(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("LogTemp ") + ProgramVersion);
    QLogTemp = new TQuery(nullptr, this);
    QLogTemp->SetSQL(QStringLiteral("select * from LogTemp order by LT_INDEX desc LIMIT 500"));
    buildUi();
}

TFormLogTemp::~TFormLogTemp()
{
    if (FormLogTemp == this) FormLogTemp = nullptr;
}

void TFormLogTemp::buildUi()
{
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    Label1 = new QLabel(HostId, this);
    bar->addWidget(Label1, 1);
    ButtonTest = new QPushButton(QStringLiteral("test.txt"), this);
    bar->addWidget(ButtonTest);
    ButtonOdswiez = new QPushButton(QStringLiteral("Odśwież"), this);
    bar->addWidget(ButtonOdswiez);
    layout->addLayout(bar);

    DBGrid1 = new QTableView(this);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setVisible(false);
    Model = new TQueryModel(QLogTemp, this);
    for (const char* f : {"LT_INDEX", "LT_NAZWA", "LT_WARTOSC", "LT_DATAMODYFIKACJI"})
        Model->AddColumn(QLatin1String(f), QLatin1String(f));
    Model->BindToView(DBGrid1);
    layout->addWidget(DBGrid1, 1);

    connect(ButtonOdswiez, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { RefreshQuery(QLogTemp, QStringLiteral("LT_INDEX")); }); });
    connect(ButtonTest, &QPushButton::clicked, this, [this] { RunGuarded([this] { RunArchiverTest(); }); });
    resize(700, 480);
}

bool TFormLogTemp::RunArchiverTest()
{
    std::atomic<bool> done{false};
    bool written = false;
    const QString source = ArchiveFolder + QStringLiteral("test.txt");
    const QString target = ArchiveFolder;
    std::thread worker([&] {
        written = ZipFileIntoFolder(source, target);
        done.store(true);
    });
    while (!done.load())
        WaitProcessingMessages(250);
    worker.join();
    return written;
}

void TFormLogTemp::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    Label1->setText(HostId);
    RunGuarded([this] {
        // The table belongs to the connection and appears with its first row;
        // the window must open before that too.
        GlobalSession()->ExecQuery(LogTempCreateSql);
        if (!QLogTemp->Active()) QLogTemp->Open();
    });
}

void TFormLogTemp::hideEvent(QHideEvent* e)
{
    QLogTemp->Close();
    TFormEx::hideEvent(e);
}
