#include "core/OperatorLista.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/Funkcje.h"
#include "core/OperatorDodaj.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/QueryModel.h"

#include <QBrush>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

TOperatorRowColours OperatorRowColours(const QString& active, int rightsLevel)
{
    TOperatorRowColours c;
    if (active == QLatin1String("N"))
        c.Text = 0x808080;
    else if (active == QLatin1String("U"))
        c.Text = 0xC0C0C0;
    else if (active == QLatin1String("A"))
        c.Background =
            BlendColors(QColor(255, 0, 0), QColor(255, 255, 255), 3, std::nearbyint(rightsLevel * 2.8))
                .rgb() &
            0xFFFFFF;
    return c;
}

TFormOperatorLista::TFormOperatorLista(QWidget* parent) : TFormEx(parent)
{
    setObjectName(QStringLiteral("FormOperatorLista"));
    buildUi();
}

void TFormOperatorLista::buildUi()
{
    setWindowTitle(QStringLiteral("Lista Operatorów"));
    DBGrid3 = new QTableView(this);
    DBGrid3->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid3->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid3->verticalHeader()->setVisible(false);
    DodajBtn = new QPushButton(QStringLiteral("Dodaj"), this);
    EdytujBtn = new QPushButton(QStringLiteral("Edytuj"), this);
    UsunBtn = new QPushButton(QStringLiteral("Usuń"), this);
    RefreshBtn = new QPushButton(QStringLiteral("Refresh"), this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {DodajBtn, EdytujBtn, UsunBtn, RefreshBtn}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(DBGrid3, 1);
    resize(820, 420);

    connect(DodajBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { dodajClick(); }); });
    connect(EdytujBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { edytujClick(); }); });
    connect(DBGrid3, &QTableView::doubleClicked, this, [this] { RunGuarded([this] { edytujClick(); }); });
    connect(UsunBtn, &QPushButton::clicked, this, [this] { RunGuarded([this] { usunClick(); }); });
    connect(RefreshBtn, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { RefreshQuery(dataset(), QStringLiteral("OP_INDEX")); }); });
}

TQuery* TFormOperatorLista::dataset() const
{
    return Data ? Data->QOperator.get() : nullptr;
}

void TFormOperatorLista::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    if (e->spontaneous() || m_model) return;
    TQuery* q = dataset();
    if (!q) return;
    if (!q->Active()) q->Open();
    m_model = new TQueryModel(q, this);
    m_model->AddColumn(QStringLiteral("OP_LOGIN"), QStringLiteral("Login"));
    m_model->AddColumn(QStringLiteral("OP_NAZWISKO"), QStringLiteral("Nazwisko"));
    m_model->AddColumn(QStringLiteral("OP_IMIE"), QStringLiteral("Imie"));
    m_model->AddColumn(QStringLiteral("OP_TELEFON"), QStringLiteral("Telefon"));
    m_model->AddColumn(QStringLiteral("OP_EMAIL"), QStringLiteral("Adres email"));
    m_model->AddColumn(QStringLiteral("OP_AKTYWNY"), QStringLiteral("Aktywny"));
    m_model->AddColumn(QStringLiteral("OP_CZYSTATYSTYKI"), QStringLiteral("Stat"));
    m_model->AddColumn(QStringLiteral("OP_POZIOMUPRAWNIEN"), QStringLiteral("Uprawnienia"));
    m_model->AddColumn(QStringLiteral("OP_OPIS"), QStringLiteral("Opis"));
    m_model->SetFormatter([](const TQuery& query, int row, int, int role) -> QVariant {
        if (role != Qt::ForegroundRole && role != Qt::BackgroundRole) return {};
        const TField* active = query.FindField(QStringLiteral("OP_AKTYWNY"));
        const TField* level = query.FindField(QStringLiteral("OP_POZIOMUPRAWNIEN"));
        if (!active || !level) return {};
        const TOperatorRowColours c = OperatorRowColours(query.CellText(row, active->Index()),
                                                         query.CellText(row, level->Index()).toInt());
        const unsigned rgb = role == Qt::ForegroundRole ? c.Text : c.Background;
        if (!rgb) return {};
        return QBrush(QColor(QRgb(rgb)));
    });
    m_model->BindToView(DBGrid3);
}

TFormOperatorDodaj* TFormOperatorLista::Editor()
{
    if (!FormOperatorDodaj) FormOperatorDodaj = new TFormOperatorDodaj(this);
    return FormOperatorDodaj;
}

void TFormOperatorLista::runEditor()
{
    TQuery* q = dataset();
    if (Editor()->exec() != QDialog::Accepted) {
        q->Cancel();
        return;
    }
    try {
        q->Post();
    } catch (...) {
        if (q->State() == dsInsert || q->State() == dsEdit) q->Cancel();
        throw;
    }
}

void TFormOperatorLista::dodajClick()
{
    TQuery* q = dataset();
    if (!q) return;
    q->Insert();
    q->FieldByName(QStringLiteral("OP_AKTYWNY"))->SetAsString(QStringLiteral("A"));
    q->FieldByName(QStringLiteral("OP_POZIOMUPRAWNIEN"))->SetAsInteger(1);
    runEditor();
}

void TFormOperatorLista::edytujClick()
{
    TQuery* q = dataset();
    if (!q || q->IsEmpty()) return;
    q->Edit();
    runEditor();
}

void TFormOperatorLista::usunClick()
{
    DeleteOperatorAtCursor(dataset());
}
