#include "billing/DodajUslugeZListy.h"

#include "billing/Pozycje.h"
#include "core/DataModule.h"
#include "core/Query.h"
#include "core/QueryModel.h"

#include <QBrush>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

std::function<void()> TFormDodajUslugeZListy::ShowServiceCatalogue;

TFormDodajUslugeZListy* FormDodajUslugeZListy()
{
    static TFormDodajUslugeZListy* form = nullptr;
    if (!form) form = new TFormDodajUslugeZListy();
    return form;
}

TFormDodajUslugeZListy::TFormDodajUslugeZListy(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormDodajUslugeZListy"));
    buildUi();
}

void TFormDodajUslugeZListy::buildUi()
{
    setWindowTitle(QStringLiteral("Dodaj usługę z listy"));
    Uslugi = new QGroupBox(QStringLiteral("Towary i usługi"), this);
    DBGrid1 = new QTableView(Uslugi);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    DBGrid1->horizontalHeader()->setHighlightSections(false);
    auto* inner = new QVBoxLayout(Uslugi);
    inner->addWidget(DBGrid1);

    DodajBtn = new QPushButton(QStringLiteral("+"), this);
    DodajBtn->setToolTip(QStringLiteral("Dodaj usługę do słownika"));
    DodajBtn->setAutoDefault(false);
    DodajBtn->setFixedWidth(DodajBtn->sizeHint().height() + 8);
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setAutoDefault(false);
    connect(DodajBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { addClick(); }); });
    connect(OkBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { Choose(); }); });
    connect(DBGrid1, &QTableView::doubleClicked, this, [this] { RunGuarded([this] { Choose(); }); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(DodajBtn);
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Uslugi, 1);
    layout->addLayout(buttons);
    resize(820, 420);
}

TQuery* TFormDodajUslugeZListy::services() const
{
    return Data ? Data->QUslugi.get() : nullptr;
}

void TFormDodajUslugeZListy::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous()) return;
    RunGuarded([this] {
        TQuery* q = services();
        if (!q) return;
        if (!q->Active()) q->Open();
        if (!m_model || m_model->Query() != q) {
            // The data module may have been made anew since the last showing.
            delete m_model;
            m_model = new TQueryModel(q, this);
            m_model->AddColumn(QStringLiteral("USL_NAZWAUSLUGI"), QStringLiteral("Nazwa"));
            m_model->AddColumn(QStringLiteral("USL_SYMBOL"), QStringLiteral("Symbol"));
            m_model->AddColumn(QStringLiteral("USL_JEDNMIARY"), QStringLiteral("J.m."));
            m_model->AddColumn(QStringLiteral("USL_STAWKAVAT_TXT"), QStringLiteral("VAT"));
            m_model->AddColumn(QStringLiteral("USL_CENABRUTTO"), QStringLiteral("Cena brutto"));
            m_model->AddColumn(QStringLiteral("USL_RABAT"), QStringLiteral("Rabat"));
            m_model->AddColumn(QStringLiteral("USL_KOSZTBRUTTO"), QStringLiteral("Koszt"));
            m_model->AddColumn(QStringLiteral("USL_GTU"), QStringLiteral("GTU"));
            m_model->AddColumn(QStringLiteral("USL_GRUPAUSLUG"), QStringLiteral("Grupa"));
            m_model->SetFormatter([](const TQuery& query, int row, int, int role) -> QVariant {
                if (role != Qt::BackgroundRole) return {};
                const TField* once = query.FindField(QStringLiteral("USL_CZYJEDNORAZOWA"));
                if (!once || query.CellText(row, once->Index()) != QLatin1String("1")) return {};
                return QBrush(OneOffServiceColor());
            });
            m_model->BindToView(DBGrid1);
            DBGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
            for (int c = 1; c < m_model->columnCount(); ++c)
                DBGrid1->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        }
        DBGrid1->setFocus();
    });
}

void TFormDodajUslugeZListy::addClick()
{
    if (ShowServiceCatalogue) ShowServiceCatalogue();
    if (TQuery* q = services(); q && q->Active()) RefreshQuery(q, QStringLiteral("USL_INDEX"));
}

void TFormDodajUslugeZListy::Choose()
{
    TQuery* q = services();
    if (!q || !q->Active() || q->IsEmpty()) return;
    if (Target && !TargetKind.isEmpty())
        CopyServiceToRow(*q, *Target, TargetKind.at(0).toLatin1(), TargetUserIndex);
    accept();
}
