#include "mainwindow/UserDaneRozliczenia.h"

#include "mainwindow/UserDanePodstawowe.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

const QString kHintOpoznienie = QStringLiteral(
    "Dodatkowa ilość dni, odsuwająca termin dodania użytkownika do grupy zalegających (dodaje się "
    "do ilości dni ustawionej w konfiguracji) ;\nZnak plus opóźnia, a znak minus przyśpiesza ten "
    "moment.");
const QString kHintWyprzedzenie =
    QStringLiteral("Dodatkowa ilość dni, przyśpieszająca moment, kiedy użytkownik dostaje nformację o "
                   "zaległościach (dodaje się do ilości dni ustawionej w konfiguracji)\nZnak plus opóźnia, a "
                   "znak minus przyśpiesza ten moment.");

// A one-label box inside "Rozliczenia".
QLabel* innerBox(const QString& title, QWidget* parent, QVBoxLayout* into)
{
    auto* box = new QGroupBox(title, parent);
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(6, 2, 6, 4);
    auto* label = new QLabel(box);
    label->setAlignment(Qt::AlignCenter);
    l->addWidget(label);
    into->addWidget(box);
    return label;
}

} // namespace

TUserRozliczeniaBox::TUserRozliczeniaBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Rozliczenia"), std::move(textOf), parent)
{
    QGridLayout* g = grid();
    fieldRows({{"Forma płatności", "U_INDYWTERMINPLATNOSCIFORMA"}, {"Termin", "U_INDYWTERMINPLATNOSCI"}}, 1);
    g->addWidget(caption(QStringLiteral("Indywid. forma płatności")), 2, 0);
    LabelIndywidForma = flagLabel();
    g->addWidget(LabelIndywidForma, 2, 1, Qt::AlignLeft);
    fieldRows({{"Data dodania", "U_DATADODANIA"},
               {"Data aktywacji", "U_DATAAKTYWACJI"},
               {"Data deaktywacji", "U_DATADEAKTYWACJI"}},
              1, 3);
    LabelFirma = flagLabel();
    g->addWidget(LabelFirma, 6, 0, Qt::AlignRight);
    g->addWidget(text(QStringLiteral("vU_Podmiot")), 6, 1);
    auto* subGroups = new QVBoxLayout;
    subGroups->setSpacing(2);
    LabelNaliczanie = innerBox(QStringLiteral("Naliczanie należności"), this, subGroups);
    LabelWydruk = innerBox(QStringLiteral("Wydruk dokumentów sprzedaży"), this, subGroups);
    g->addLayout(subGroups, 7, 0, 1, 2);
    g->setColumnStretch(1, 1);
}

TUserBankBox::TUserBankBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Bank - numery rachunków bankowych klienta (subkonta)"), std::move(textOf),
                    parent)
{
    fieldRows({{"Podstawowy", "U_NRRACHUNKU1"}, {"Dodatkowy", "U_NRRACHUNKU2"}}, 2);
    grid()->setColumnStretch(1, 3);
    grid()->setColumnStretch(3, 2);
}

TUserUwagiBox::TUserUwagiBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Uwagi"), std::move(textOf), parent)
{
    MemoUwagi = new QPlainTextEdit(this);
    MemoUwagi->setObjectName(QStringLiteral("DBMemo_U_UWAGI"));
    MemoUwagi->setProperty("dataField", QStringLiteral("U_UWAGI"));
    MemoUwagi->setReadOnly(true);
    MemoUwagi->setMinimumHeight(fontMetrics().height() * 3 + 10);
    grid()->addWidget(MemoUwagi, 0, 0);
}

TUserZaleglosciBox::TUserZaleglosciBox(TDbTextFactory textOf, QWidget* parent)
    : TUserGroupBox(QStringLiteral("Zaległości i blokady"), std::move(textOf), parent)
{
    const struct
    {
        const char* caption;
        const char* field;
        const QString* hint;
    } zal[] = {{"Wyklucz z blokad do dnia", "U_DATAWYKLUCZENIAZBLOKAD", nullptr},
               {"Kwota salda", "U_SALDO", nullptr},
               {"Kwota salda zaległego", "U_SALDOZALEGLE", nullptr},
               {"Kwota abonamentu", "U_KWOTAABONAMENTU", nullptr},
               {"Dodatkowe wyprzedz. powiadomień", "U_WYPRZEDZENIEPOWIADOMIEN", &kHintWyprzedzenie},
               {"Dodatkowe opóźnienie blokady", "U_OPOZNIENIEBLOKADY", &kHintOpoznienie}};
    int row = 0;
    for (const auto& z : zal) {
        QLabel* c = caption(QString::fromUtf8(z.caption));
        TDbText* t = text(QString::fromLatin1(z.field));
        t->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setMinimumWidth(t->fontMetrics().horizontalAdvance(QStringLiteral("-99 999,99 zł")) + 10);
        if (z.hint) {
            c->setToolTip(*z.hint);
            t->setToolTip(*z.hint);
            t->setProperty("fixedHint", true);
        }
        grid()->addWidget(c, row, 0);
        grid()->addWidget(t, row, 1);
        ++row;
    }
    grid()->setColumnStretch(1, 1);
}
