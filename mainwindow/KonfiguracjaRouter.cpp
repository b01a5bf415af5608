#include "mainwindow/KonfiguracjaRouter.h"

#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Query.h"
#include "core/QueryModel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using F = TRouterField;

QStringList texts(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* s : list)
        out << QString::fromUtf8(s);
    return out;
}

// A line edit that reports leaving it.
class TLeaveEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    std::function<void()> OnLeave;

protected:
    void focusOutEvent(QFocusEvent* e) override
    {
        QLineEdit::focusOutEvent(e);
        if (OnLeave) OnLeave();
    }
};

} // namespace

std::vector<TRouterField> IntruxRouterFields()
{
    const char* awaria = "Ograniczenia dla łącza awaryjnego";
    return {
        {"INTRUX_NAZWA", "Nazwa:"},
        {"INTRUX_IP", "Adres IP:"},
        {"INTRUX_PORT", " : ", F::Digits},
        {"INTRUX_LOGIN", "Login:"},
        {"INTRUX_HASLO", "Hasło:", F::Password},
        {"INTRUX_OPIS", "Opis:"},
        {"INTRUX_CZYAKTYWNY", "Aktywny", F::Check},
        {"INTRUX_CZYBLOKADY", "Włącz komunikaty i blokady", F::Check},
        {"INTRUX_CZYDOLACZINFRA", "Dołączaj do serwera urządzenia infrastruktury", F::Check},
        {"INTRUX_CZYPUBIP", "Włącz przekierowania publicznych IP (ipf.cfg)", F::Check},
        {"INTRUX_CZYPLIKMONITORINGU", "Wysyłaj plik konfiguracyjny monitoringu (monit.cfg)", F::Check},
        {"INTRUX_CZYPASMODLAKAZDEGOIP", "Generuj pasno dla każdego IP z karty klienta (opcja QOS_ON=iprtlm)",
         F::Check},
        {"INTRUX_WERSJA", "Wersja Intruxa", F::Radio, texts({"v7", "v8", "v9", "v10", "v11-14", "v15"}),
         texts({"7", "8", "9", "10", "11", "15"})},
        {"INTRUX_CZYWYMUSWANAWARIA", "Wymuś awaryjnie u klientów łącze", F::Check},
        {"INTRUX_INDEXWANAWARIA", "Łącze awaryjne:", F::Wan},
        {"INTRUX_KORPASMADOWN", "Korekta pasma Down w [%]", F::Digits},
        {"INTRUX_KORPASMAUP", "Korekta pasma Up w [%]", F::Digits},
        {"INTRUX_KORPASMANOCTERMINOWI", "Korekta pasma w nocy dla niezalegajacych [%]", F::Digits},
        {"INTRUX_BLOKOWANIUP", "Wartość pasma  dla blokowanych Up w [kbit/s]", F::Digits},
        {"INTRUX_BLOKOWANIDOWN", "Wartość pasma  dla blokowanych Down w [kbit/s]", F::Digits},
        {"INTRUX_CZYOGRANICZAWARYJ", "Włącz ograniczenia łącza awaryjnego", F::Check, {}, {}, awaria},
        {"INTRUX_PASMOAWARIADOWN", "Maksymane pasmo Down", F::Bandwidth, {}, {}, awaria},
        {"INTRUX_PASMOAWARIAUP", "Maksymalne pasmo Up", F::Bandwidth, {}, {}, awaria},
        {"INTRUX_POLACZENIAAWARIA", "Limit połączeń", F::Digits, {}, {}, awaria},
    };
}

std::vector<TRouterField> MikrotikRouterFields()
{
    const char* plik = "Zawartość pliku konfiguracyjnego";
    return {
        {"MIKROTIK_NAZWA", "Nazwa:"},
        {"MIKROTIK_IP", "Adres IP:"},
        {"MIKROTIK_PORT", " : ", F::Digits},
        {"MIKROTIK_LOGIN", "Login:"},
        {"MIKROTIK_HASLO", "Hasło:", F::Password},
        {"MIKROTIK_OPIS", "Opis:"},
        {"MIKROTIK_CZYAKTYWNY", "Aktywny", F::Check},
        {"MIKROTIK_CZYBLOKADY", "Włącz komunikaty i blokady", F::Check},
        {"MIKROTIK_CZYDOLACZINFRA", "Dołączaj do serwera urządzenia infrastruktury", F::Check},
        {"MIKROTIK_CZYPUBIP", "Włącz przekierowania publicznych IP", F::Check},
        {"MIKROTIK_WERSJA", "Wersja MikroTik", F::Radio, texts({"6.xx"}), texts({"6"})},
        {"MIKROTIK_KORPASMADOWN", "Korekta pasma Down w [%]", F::Digits, {}, {}, "", "100"},
        {"MIKROTIK_KORPASMAUP", "Korekta pasma Up w [%]", F::Digits, {}, {}, "", "100"},
        {"MIKROTIK_KORPASMANOCTERMINOWI",
         "Korekta pasma w nocy dla niezalegajacych [%]",
         F::Digits,
         {},
         {},
         "",
         "100"},
        {"MIKROTIK_BLOKOWANIUP",
         "Wartość pasma  dla blokowanych Up w [bit/s]",
         F::Bandwidth,
         {},
         {},
         "",
         "0"},
        {"MIKROTIK_BLOKOWANIDOWN",
         "Wartość pasma  dla blokowanych Down w [bit/s]",
         F::Bandwidth,
         {},
         {},
         "",
         "0"},
        {"MIKROTIK_LACZEDOWNTXT", "Pasmo łącza Down w [bit/s]", F::Bandwidth, {}, {}, "", "0"},
        {"MIKROTIK_LACZEUPTXT", "Pasmo łącza Up w [bit/s]", F::Bandwidth, {}, {}, "", "0"},
        {"MIKROTIK_TYPKOLEJKIGLOWNEJ", "Typ kolejki głównej", F::Choice, texts({"sfq", "default-small"})},
        {"MIKROTIK_WYSLIJPPPOE", "Wysyłaj konfigurację \"PPPoE\"", F::Check, {}, {}, plik},
        {"MIKROTIK_WYSLIJKOLEJKI", "Wysyłaj konfigurację \"queues\"", F::Check, {}, {}, plik},
        {"MIKROTIK_WYSLIJDHCP", "Wysyłaj konfigurację \"dhcp\"", F::Check, {}, {}, plik},
        {"MIKROTIK_WYSLIJARP", "Wysyłaj konfigurację \"arp\"", F::Check, {}, {}, plik},
        {"MIKROTIK_WYSLIJMACDOPPPOE", "Powiąż PPPoE z MAC", F::Check, {}, {}, plik},
        {"MIKROTIK_WYSLIJHAZARD", "Wysyłaj adresslistę \"hazard\"", F::Check, {}, {}, plik},
        {"MIKROTIK_MASKAPUBIP", "Maska sieci (CIDR) dla puli publicznych IP", F::Bandwidth, {}, {}, plik},
        {"MIKROTIK_SKRYPTADD", "Dodaj na końcu skryptu konfiguracji", F::Memo},
    };
}

TKonfRouterPage::TKonfRouterPage(const QString& gridName, const QString& nameField,
                                 std::vector<TRouterField> fields, QWidget* parent)
    : QWidget(parent), m_nameField(nameField), m_fields(std::move(fields))
{
    Grid = new QTableView(this);
    Grid->setObjectName(gridName);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->verticalHeader()->hide();
    Grid->setMaximumWidth(220);

    auto* nav = new QHBoxLayout;
    const char* navTexts[7] = {"<", ">", "+", "-", "^", "\u2713", "X"};
    const char* navHints[7] = {"Poprzedni", "Następny", "Wstaw", "Usuń", "Edytuj", "Zatwierdź", "Anuluj"};
    for (int i = 0; i < 7; ++i) {
        Nav[i] = new QToolButton(this);
        Nav[i]->setText(QString::fromUtf8(navTexts[i]));
        Nav[i]->setToolTip(QString::fromUtf8(navHints[i]));
        nav->addWidget(Nav[i]);
    }
    nav->addStretch();
    auto guarded = [this](std::function<void(TQuery&)> f) {
        return [this, f] {
            if (!m_query || !m_query->Active()) return;
            try {
                f(*m_query);
            } catch (const std::exception& e) {
                TMD::MessageDlg(QString::fromUtf8(e.what()), mtError, mbOK);
            }
            showRecord();
        };
    };
    connect(Nav[0], &QToolButton::clicked, this, guarded([](TQuery& q) { q.Prior(); }));
    connect(Nav[1], &QToolButton::clicked, this, guarded([](TQuery& q) { q.Next(); }));
    connect(Nav[2], &QToolButton::clicked, this, guarded([](TQuery& q) { q.Insert(); }));
    connect(Nav[3], &QToolButton::clicked, this, guarded([](TQuery& q) {
                if (!q.IsEmpty() && TMD::MessageDlg(QStringLiteral("Usunąć rekord?"), mtConfirmation,
                                                    mbOK | mbCancel) == mrOk)
                    q.Delete();
            }));
    connect(Nav[4], &QToolButton::clicked, this, guarded([](TQuery& q) {
                if (!q.IsEmpty()) q.Edit();
            }));
    connect(Nav[5], &QToolButton::clicked, this, guarded([](TQuery& q) {
                if (q.State() == dsEdit || q.State() == dsInsert) q.Post();
            }));
    connect(Nav[6], &QToolButton::clicked, this, guarded([](TQuery& q) {
                if (q.State() == dsEdit || q.State() == dsInsert) q.Cancel();
            }));

    // The fields in two columns: loose fields, then their groups.
    auto* loose = new QFormLayout;
    QHash<QString, QFormLayout*> groups;
    auto* groupColumn = new QVBoxLayout;
    for (const TRouterField& f : m_fields) {
        QWidget* editor = makeEditor(f);
        QFormLayout* form = loose;
        if (*f.Group) {
            QFormLayout*& g = groups[QString::fromUtf8(f.Group)];
            if (!g) {
                auto* box = new QGroupBox(QString::fromUtf8(f.Group), this);
                g = new QFormLayout(box);
                groupColumn->addWidget(box);
            }
            form = g;
        }
        if (f.Type == F::Check || f.Type == F::Radio)
            form->addRow(editor);
        else
            form->addRow(QString::fromUtf8(f.Caption), editor);
    }
    groupColumn->addStretch();

    auto* left = new QVBoxLayout;
    left->addLayout(nav);
    left->addWidget(Grid);
    auto* root = new QHBoxLayout(this);
    root->addLayout(left);
    root->addLayout(loose, 1);
    root->addLayout(groupColumn, 1);
}

QWidget* TKonfRouterPage::makeEditor(const TRouterField& f)
{
    const QString field = QString::fromLatin1(f.Field);
    QWidget* w = nullptr;
    switch (f.Type) {
    case F::Check: {
        auto* c = new QCheckBox(QString::fromUtf8(f.Caption), this);
        connect(c, &QCheckBox::clicked, this, [this, field](bool on) {
            fieldEdited(field, on ? QStringLiteral("1") : QStringLiteral("0"));
        });
        w = c;
        break;
    }
    case F::Radio: {
        auto* box = new QGroupBox(QString::fromUtf8(f.Caption), this);
        auto* l = new QHBoxLayout(box);
        auto* group = new QButtonGroup(box);
        for (int i = 0; i < f.Items.size(); ++i) {
            auto* b = new QRadioButton(f.Items[i], box);
            group->addButton(b, i);
            l->addWidget(b);
        }
        l->addStretch();
        const QStringList values = f.Values;
        connect(group, &QButtonGroup::idClicked, this,
                [this, field, values](int id) { fieldEdited(field, values.value(id)); });
        m_radios.insert(field, group);
        w = box;
        break;
    }
    case F::Choice:
    case F::Wan: {
        auto* combo = new QComboBox(this);
        combo->addItems(f.Items);
        connect(combo, &QComboBox::activated, this, [this, field, combo](int index) {
            const QVariant data = combo->itemData(index);
            fieldEdited(field, data.isValid() ? data.toString() : combo->itemText(index));
        });
        w = combo;
        break;
    }
    case F::Memo: {
        auto* memo = new QPlainTextEdit(this);
        memo->setFixedHeight(70);
        connect(memo, &QPlainTextEdit::textChanged, this, [this, field, memo] {
            if (!m_showing) fieldEdited(field, memo->toPlainText());
        });
        w = memo;
        break;
    }
    default: {
        auto* edit = new TLeaveEdit(this);
        if (f.Type == F::Password) edit->setEchoMode(QLineEdit::Password);
        if (f.Type == F::Digits)
            edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), edit));
        if (f.Type == F::Bandwidth)
            edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9Mk]*")), edit));
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& text) { fieldEdited(field, text); });
        if (f.EmptyBecomes) {
            const QString filler = QString::fromLatin1(f.EmptyBecomes);
            edit->OnLeave = [this, field, edit, filler] {
                if (!edit->text().isEmpty() || !m_query || !m_query->Active() || m_query->IsEmpty()) return;
                edit->setText(filler);
                fieldEdited(field, filler);
            };
        }
        w = edit;
        break;
    }
    }
    w->setObjectName(field);
    m_editors.insert(field, w);
    return w;
}

void TKonfRouterPage::Bind(TQuery* query)
{
    if (m_model) {
        Grid->setModel(nullptr);
        delete m_model;
        m_model = nullptr;
    }
    if (m_query) disconnect(m_query, nullptr, this, nullptr);
    m_query = query;
    if (!m_query) return;
    m_model = new TQueryModel(m_query, this);
    m_model->AddColumn(m_nameField, QStringLiteral("Nazwa"));
    // An inactive router is drawn in grey.
    const QString active =
        QString(m_nameField).replace(QStringLiteral("NAZWA"), QStringLiteral("CZYAKTYWNY"));
    m_model->SetFormatter([active](const TQuery& q, int row, int, int role) -> QVariant {
        if (role != Qt::ForegroundRole) return {};
        const TField* f = q.FindField(active);
        if (f && q.CellText(row, f->Index()) == QLatin1String("0")) return QColor(128, 128, 128);
        return {};
    });
    m_model->BindToView(Grid);
    connect(m_query, &TQuery::CurrentChanged, this, [this] { showRecord(); });
    connect(m_query, &TQuery::DataReset, this, [this] { showRecord(); });
    fillWanList();
    showRecord();
}

void TKonfRouterPage::fillWanList()
{
    for (const TRouterField& f : m_fields) {
        if (f.Type != F::Wan) continue;
        auto* combo = static_cast<QComboBox*>(m_editors.value(QString::fromLatin1(f.Field)));
        combo->clear();
        combo->addItem(QString(), QStringLiteral("0"));
        auto q = GlobalSession()->OpenQuery(
            QStringLiteral("select WAN_INDEX, WAN_NAZWA from Wan order by WAN_NAZWA"));
        for (q->First(); !q->Eof(); q->Next())
            combo->addItem(q->FieldByName(QStringLiteral("WAN_NAZWA"))->AsString(),
                           q->FieldByName(QStringLiteral("WAN_INDEX"))->AsString());
    }
}

void TKonfRouterPage::showRecord()
{
    m_showing = true;
    const bool hasRow = m_query && m_query->Active() && (!m_query->IsEmpty() || m_query->State() == dsInsert);
    for (const TRouterField& f : m_fields) {
        const QString field = QString::fromLatin1(f.Field);
        TField* tf = hasRow ? m_query->FindField(field) : nullptr;
        const QString value = tf ? tf->AsString() : QString();
        QWidget* w = m_editors.value(field);
        w->setEnabled(hasRow);
        if (auto* c = qobject_cast<QCheckBox*>(w))
            c->setChecked(value == QLatin1String("1"));
        else if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(value);
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
            m->setPlainText(value);
        else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            int i = f.Type == F::Wan ? combo->findData(value) : combo->findText(value);
            combo->setCurrentIndex(i);
        } else if (QButtonGroup* g = m_radios.value(field)) {
            const int i = f.Values.indexOf(value);
            g->setExclusive(false);
            for (QAbstractButton* b : g->buttons())
                b->setChecked(false);
            g->setExclusive(true);
            if (QAbstractButton* b = g->button(i)) b->setChecked(true);
        }
    }
    m_showing = false;
}

void TKonfRouterPage::fieldEdited(const QString& field, const QString& value)
{
    if (m_showing || !m_query || !m_query->Active()) return;
    if (m_query->State() == dsBrowse) {
        if (m_query->IsEmpty()) return;
        m_query->Edit();
    }
    if (TField* f = m_query->FindField(field)) f->SetAsString(value);
}

void TKonfRouterPage::PostPending()
{
    if (m_query && (m_query->State() == dsEdit || m_query->State() == dsInsert)) m_query->Post();
}

void TKonfRouterPage::CancelPending()
{
    if (m_query && (m_query->State() == dsEdit || m_query->State() == dsInsert)) m_query->Cancel();
}
