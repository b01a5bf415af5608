#include "billing/DokumentRamka.h"

#include "billing/DokumentDane.h"
#include "billing/PozycjaDokumentu.h"
#include "billing/Pozycje.h"
#include "core/DateTimePicker.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/FormEx.h"
#include "core/Query.h"
#include "core/QueryModel.h"
#include "core/VatRates.h"

#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace DokumentRamka {

QFont BoldFont(QFont f, double scale)
{
    f.setBold(true);
    if (scale != 1.0) f.setPointSizeF(f.pointSizeF() * scale);
    return f;
}

QString MoneyCell(Amount4 a)
{
    QString t = MoneyText(a);
    t.chop(3);
    return t;
}

TPaymentBox BuildPaymentBox(QWidget* parent, const std::function<void(int days)>& onTerm)
{
    TPaymentBox p;
    p.box = new QGroupBox(QStringLiteral("Termin i forma płatnosci"), parent);
    p.forms = new QComboBox(p.box);
    p.forms->setMinimumWidth(180);
    p.due = new TDateTimePicker(p.box);
    p.days = new QLabel(p.box);
    p.days->setFont(BoldFont(p.days->font()));
    p.days->setMinimumWidth(60);
    auto* terms = new QHBoxLayout;
    terms->setSpacing(4);
    terms->addWidget(new QLabel(QStringLiteral("Ustaw"), p.box));
    for (int i = 0; i < 6; ++i) {
        p.dni[i] = new QPushButton(QStringLiteral("%1 dni").arg(kTermDays[i]), p.box);
        p.dni[i]->setAutoDefault(false);
        p.dni[i]->setMinimumWidth(56);
        terms->addWidget(p.dni[i]);
        const int days = kTermDays[i];
        QObject::connect(p.dni[i], &QPushButton::clicked, p.box, [onTerm, days] { onTerm(days); });
    }
    terms->addStretch();
    auto* pay = new QGridLayout(p.box);
    pay->addWidget(new QLabel(QStringLiteral("Forma płatności"), p.box), 0, 0);
    pay->addWidget(p.forms, 0, 1);
    pay->addWidget(new QLabel(QStringLiteral("Termin płatności"), p.box), 1, 0);
    auto* due = new QHBoxLayout;
    due->addWidget(p.due);
    due->addSpacing(8);
    due->addWidget(p.days);
    due->addStretch();
    pay->addLayout(due, 1, 1);
    pay->addLayout(terms, 2, 0, 1, 2);
    pay->setColumnStretch(1, 1);

    p.paid = new QLineEdit(parent);
    p.paid->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    p.paid->setMaximumWidth(130);
    new TFieldKeyFilter(p.paid, TFieldKeyFilter::Mode::Signed);
    p.left = new QLabel(parent);
    p.left->setFont(BoldFont(p.left->font()));
    p.left->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    p.left->setMinimumWidth(130);
    return p;
}

QStringList PaymentFormNames()
{
    QStringList names;
    auto q =
        GlobalSession()->OpenQuery(QStringLiteral("select FP_NAZWA from FormyPlatnosci order by FP_NAZWA"));
    for (q->First(); !q->Eof(); q->Next())
        names << q->Fields(0)->AsString();
    return names;
}

QTableView* BuildLinesGrid(QWidget* parent, TQuery* lines, const QList<QPair<QString, QString>>& columns,
                           TQueryModel** model)
{
    auto* grid = new QTableView(parent);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setHighlightSections(false);
    auto* m = new TQueryModel(lines, grid);
    auto kindOf = [](const QString& name) {
        const QString bare = QString(name).remove(QStringLiteral("_PO"));
        if (bare.endsWith(QLatin1String("_ILOSC"))) return 1;
        if (bare.endsWith(QLatin1String("_RABAT"))) return 2;
        if (bare.contains(QLatin1String("_CENA")) || bare.contains(QLatin1String("_WARTOSC")) ||
            bare.endsWith(QLatin1String("_KWOTAVAT")) || bare.endsWith(QLatin1String("_RABATKWOTA")))
            return 3;
        if (bare.endsWith(QLatin1String("_JEDNMIARY")) || bare.endsWith(QLatin1String("_STAWKAVAT_TXT")))
            return 4;
        return 0;
    };
    for (const auto& [field, caption] : columns) {
        const int kind = kindOf(field);
        const Qt::Alignment a = kind == 4 ? Qt::Alignment(Qt::AlignCenter)
                                : kind    ? Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)
                                          : Qt::Alignment();
        m->AddColumn(field, caption, a);
    }
    m->SetFormatter([kindOf](const TQuery& q, int row, int field, int role) -> QVariant {
        if (role != Qt::DisplayRole || field < 0) return {};
        const int kind = kindOf(q.Fields(field)->FieldName);
        if (kind == 0 || kind == 4) return {};
        Amount4 a;
        Amount4::tryParse(q.CellText(row, field), a);
        if (kind == 1) return AmountEditText(a, 3);
        if (kind == 2) return AmountEditText(a, 2) + QLatin1Char('%');
        return MoneyCell(a);
    });
    m->BindToView(grid);
    QHeaderView* h = grid->horizontalHeader();
    h->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < m->columnCount(); ++c)
        h->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    if (model) *model = m;
    return grid;
}

QWidget* BuildVatSumsBox(QWidget* parent, QTableWidget** grid)
{
    auto* box = new QWidget(parent);
    const QString caption = QStringLiteral(
        "Wartość:                  netto                            VAT                         brutto");
    auto* sumsTitle = new QLabel(caption, box);
    auto* sumy = new QTableWidget(VatGroupCount + 1, 4, box);
    sumy->horizontalHeader()->hide();
    sumy->verticalHeader()->hide();
    sumy->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sumy->setSelectionMode(QAbstractItemView::NoSelection);
    sumy->setFocusPolicy(Qt::NoFocus);
    sumy->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sumy->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics fm(sumsTitle->font());
    auto wordEnd = [&](const QString& word) {
        return fm.horizontalAdvance(caption.left(caption.indexOf(word) + word.size()));
    };
    const int cellPadding = 4;
    const int labels = QFontMetrics(BoldFont(box->font())).horizontalAdvance(QStringLiteral("RAZEM")) + 16;
    const int ends[3] = {wordEnd(QStringLiteral("netto")), wordEnd(QStringLiteral("VAT")),
                         wordEnd(QStringLiteral("brutto"))};
    sumy->setColumnWidth(0, labels);
    sumy->setColumnWidth(1, ends[0] + cellPadding - labels);
    sumy->setColumnWidth(2, ends[1] - ends[0]);
    sumy->setColumnWidth(3, ends[2] - ends[1]);
    const int frame = sumy->frameWidth();
    sumsTitle->setContentsMargins(frame, 0, 0, 0);
    const int rowHeight = box->fontMetrics().height() + 4;
    sumy->verticalHeader()->setDefaultSectionSize(rowHeight);
    sumy->setFixedSize(ends[2] + cellPadding + 2 * frame, rowHeight * (VatGroupCount + 1) + 2 * frame);
    for (int r = 0; r <= VatGroupCount; ++r)
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(c == 0 ? (Qt::AlignLeft | Qt::AlignVCenter)
                                          : (Qt::AlignRight | Qt::AlignVCenter));
            if (r == VatGroupCount) item->setFont(BoldFont(box->font()));
            sumy->setItem(r, c, item);
        }
    auto* sums = new QVBoxLayout(box);
    sums->setContentsMargins(0, 0, 0, 0);
    sums->setSpacing(2);
    sums->addWidget(sumsTitle);
    sums->addWidget(sumy);
    *grid = sumy;
    return box;
}

void ShowVatSums(QTableWidget* grid, const std::function<TField*(const QString&)>& field,
                 const QString& prefix)
{
    for (int g = 0; g <= VatGroupCount; ++g) {
        const QString sfx = g < VatGroupCount ? VatGroupSuffix(g) : QString();
        grid->item(g, 0)->setText(field(prefix + QStringLiteral("OPISVAT") + sfx)->AsString());
        grid->item(g, 1)->setText(MoneyCell(field(prefix + QStringLiteral("SUMANETTO") + sfx)->AsCurrency()));
        grid->item(g, 2)->setText(MoneyCell(field(prefix + QStringLiteral("SUMAVAT") + sfx)->AsCurrency()));
        grid->item(g, 3)->setText(
            MoneyCell(field(prefix + QStringLiteral("SUMABRUTTO") + sfx)->AsCurrency()));
    }
}

QWidget* BuildSaveCancelRow(QWidget* parent, QPushButton** save, QPushButton** cancel)
{
    auto* box = new QWidget(parent);
    *save = new QPushButton(QStringLiteral("Zapisz"), box);
    *cancel = new QPushButton(QStringLiteral("Anuluj"), box);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    for (QPushButton* b : {*save, *cancel}) {
        b->setAutoDefault(false);
        b->setMinimumSize(120, 34);
        row->addWidget(b);
    }
    return box;
}

void RunLineDialog(QDialog* dialog, TDokumentDane& dane, const std::function<void()>& showHeader)
{
    if (dialog->exec() == QDialog::Accepted) {
        try {
            dane.PostLine();
        } catch (...) {
            dane.CancelLine();
            showHeader();
            throw;
        }
    } else {
        dane.CancelLine();
    }
    showHeader();
}

TLinesCommands::TLinesCommands(TFormEx* form, QTableView* grid, TFormPozycjaDokumentu* dialog,
                               TDokumentZPozycjami& dane, QString deleteQuestion,
                               std::function<void()> showHeader)
    : QObject(form), m_form(form), m_grid(grid), m_dialog(dialog), m_dane(dane),
      m_deleteQuestion(std::move(deleteQuestion)), m_showHeader(std::move(showHeader))
{
    QWidget* box = grid->parentWidget();
    DodajBtn = new QPushButton(QStringLiteral("Dodaj"), box);
    EdytujBtn = new QPushButton(QStringLiteral("Edytuj"), box);
    UsunBtn = new QPushButton(QStringLiteral("Usuń"), box);
    ZSzablonuBtn = new QPushButton(QStringLiteral("Dodaj z szablonu"), box);
    Buttons = new QVBoxLayout;
    for (QPushButton* b : {DodajBtn, EdytujBtn, UsunBtn, ZSzablonuBtn}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(130);
        Buttons->addWidget(b);
    }
    Buttons->addStretch();
    auto guarded = [this](void (TLinesCommands::*handler)()) {
        return [this, handler] { m_form->RunGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(DodajBtn, &QPushButton::clicked, this, guarded(&TLinesCommands::Add));
    connect(EdytujBtn, &QPushButton::clicked, this, guarded(&TLinesCommands::Edit));
    connect(UsunBtn, &QPushButton::clicked, this, guarded(&TLinesCommands::Remove));
    connect(ZSzablonuBtn, &QPushButton::clicked, this, guarded(&TLinesCommands::FromTemplate));
    connect(grid, &QTableView::doubleClicked, this, guarded(&TLinesCommands::addOrEdit));
    grid->installEventFilter(this);
}

void TLinesCommands::runDialog(const QString& caption)
{
    m_dialog->Lines = m_dane.Lines();
    m_dialog->Header = m_dane.Header();
    m_dialog->setWindowTitle(caption);
    RunLineDialog(m_dialog, m_dane, m_showHeader);
    m_grid->setFocus();
}

void TLinesCommands::Add()
{
    m_dane.AppendLine();
    runDialog(QStringLiteral("Dodawanie pozycji"));
}

void TLinesCommands::Edit()
{
    if (m_dane.Lines()->IsEmpty()) return;
    m_dane.EditLine();
    runDialog(QStringLiteral("Edycja pozycji"));
}

void TLinesCommands::addOrEdit()
{
    m_dane.Lines()->IsEmpty() ? Add() : Edit();
}

void TLinesCommands::Remove()
{
    if (m_dane.Lines()->IsEmpty()) return;
    const bool yes = TMD::MessageDlg(m_deleteQuestion, mtConfirmation, mbYes | mbNo) == mrYes;
    m_dane.DeleteLine(yes);
    m_showHeader();
}

void TLinesCommands::FromTemplate()
{
    m_dane.AddFromTemplate();
    m_showHeader();
}

bool TLinesCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_form->RunGuarded([this] { addOrEdit(); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace DokumentRamka
