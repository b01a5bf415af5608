#include "mainwindow/UserDanePodstawowe.h"

#include "core/Amount4.h"
#include "core/GripPanel.h"
#include "core/Query.h"
#include "core/ThemedPanel.h"
#include "mainwindow/UserDaneAdres.h"
#include "mainwindow/UserDaneRozliczenia.h"
#include "mainwindow/UserDaneUslugi.h"
#include "mainwindow/UserRules.h"
#include "mainwindow/UserZakladki.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const TField* field(const TQuery* q, const QString& name)
{
    return q && q->Active() && !q->IsEmpty() ? q->FindField(name) : nullptr;
}

int intOf(const TQuery* q, const char* name)
{
    const TField* f = field(q, QLatin1String(name));
    return f ? f->AsInteger() : 0;
}

// Money fields are shown with the currency.
bool isMoney(const QString& name)
{
    return name == QLatin1String("U_SALDO") || name == QLatin1String("U_SALDOZALEGLE") ||
           name == QLatin1String("U_KWOTAABONAMENTU");
}

// "1 234,50 zł": grouped, two decimals, the decimal comma.
QString cardMoneyText(Amount4 a)
{
    const qint64 cents = (a.raw < 0 ? a.raw - 50 : a.raw + 50) / 100;
    const qint64 whole = (cents < 0 ? -cents : cents) / 100;
    QString digits = QString::number(whole);
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return (cents < 0 ? QStringLiteral("-") : QString()) + digits + QLatin1Char(',') +
           QStringLiteral("%1").arg((cents < 0 ? -cents : cents) % 100, 2, 10, QLatin1Char('0')) +
           QStringLiteral(" zł");
}

} // namespace

// ---------------------------------------------------------------- TDbText

TDbText::TDbText(const QString& field, QWidget* parent) : QLabel(parent), m_field(field)
{
    setProperty("dataField", field);
    // Whatever a subscriber's field holds is shown as typed, never as markup.
    setTextFormat(Qt::PlainText);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setMargin(2);
    setMinimumHeight(fontMetrics().height() + 8);
    // A long value must not push its captions out of the panel: it is cut, the hint shows it all.
    setMinimumWidth(36);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TDbText::SetLink(const QString& hint)
{
    m_link = true;
    setToolTip(hint);
    setCursor(Qt::PointingHandCursor);
    setTextInteractionFlags(Qt::NoTextInteraction);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0x1A, 0x4F, 0xA8));
    setPalette(pal);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
}

void TDbText::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (m_link && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit Clicked();
}

void TDbText::mouseDoubleClickEvent(QMouseEvent* e)
{
    QLabel::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) emit DoubleClicked();
}

// ---------------------------------------------------------------- TUserDanePodstawowe

TUserDanePodstawowe::TUserDanePodstawowe(QWidget* parent) : QWidget(parent)
{
    buildUi();
}

TDbText* TUserDanePodstawowe::text(const QString& name, QWidget* parent)
{
    auto* t = new TDbText(name, parent);
    t->setObjectName(QStringLiteral("DBText_") + name);
    m_texts.insert(name, t);
    return t;
}

void TUserDanePodstawowe::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 0);
    root->setSpacing(4);

    // Three columns of boxes; the bank accounts run under the second and third.
    auto* columns = new QGridLayout;
    columns->setHorizontalSpacing(6);
    columns->setVerticalSpacing(4);
    root->addLayout(columns, 1);
    auto* col1 = new QVBoxLayout;
    auto* col2 = new QVBoxLayout;
    auto* col3 = new QVBoxLayout;
    for (QVBoxLayout* c : {col1, col2, col3})
        c->setSpacing(4);
    columns->addLayout(col1, 0, 0, 2, 1);
    columns->addLayout(col2, 0, 1);
    columns->addLayout(col3, 0, 2);
    columns->setColumnStretch(0, 11);
    columns->setColumnStretch(1, 9);
    columns->setColumnStretch(2, 10);
    columns->setRowStretch(0, 1);
    const TDbTextFactory textOf = [this](const QString& name, QWidget* parent) { return text(name, parent); };

    auto* nazwa = new TUserNazwaBox(textOf, this);
    ImageAdres = nazwa->ImageAdres;
    PanelTeryt = nazwa->PanelTeryt;
    col1->addWidget(nazwa);
    auto* tel = new TUserTeleadresBox(textOf, this);
    ImageGg = tel->ImageGg;
    col1->addWidget(tel);
    auto* extra = new TUserDodatkoweBox(textOf, this);
    LabelInnaLokalizacja = extra->LabelInnaLokalizacja;
    LabelAdresKoresp = extra->LabelAdresKoresp;
    ImageLokalizacja = extra->ImageLokalizacja;
    ImageKoresp = extra->ImageKoresp;
    col1->addWidget(extra);
    col1->addStretch(1);

    auto* roz = new TUserRozliczeniaBox(textOf, this);
    LabelIndywidForma = roz->LabelIndywidForma;
    LabelFirma = roz->LabelFirma;
    LabelNaliczanie = roz->LabelNaliczanie;
    LabelWydruk = roz->LabelWydruk;
    col2->addWidget(roz);
    columns->addWidget(new TUserBankBox(textOf, this), 1, 1, 1, 2);
    auto* uwagi = new TUserUwagiBox(textOf, this);
    MemoUwagi = uwagi->MemoUwagi;
    col2->addWidget(uwagi, 1);

    col3->addWidget(new TUserZaleglosciBox(textOf, this));
    col3->addWidget(new TUserPasmoBox(textOf, this));
    GroupAutoryzacja = new TUserAutoryzacjaBox(textOf, this);
    col3->addWidget(GroupAutoryzacja);
    col3->addWidget(new TUserGrupyBox(textOf, this));
    auto* geo = new TUserGeolokalizacjaBox(textOf, this);
    ImageWspolrzedne = geo->ImageWspolrzedne;
    auto* uslugi = new TUserUslugiBox(textOf, this);
    PanelInt = uslugi->PanelInt;
    PanelTv = uslugi->PanelTv;
    PanelTel = uslugi->PanelTel;
    PanelRd = uslugi->PanelRd;
    ImageTauronBsa = uslugi->ImageTauronBsa;
    auto* geoUsl = new QHBoxLayout;
    geoUsl->setSpacing(6);
    geoUsl->addWidget(geo, 3);
    geoUsl->addWidget(uslugi, 2);
    col3->addLayout(geoUsl);
    col3->addStretch(1);

    // Double clicks on the TERYT panel (and its texts) and the TAURON marker.
    for (TDbText* t : PanelTeryt->findChildren<TDbText*>())
        t->installEventFilter(this);
    PanelTeryt->installEventFilter(this);
    ImageTauronBsa->installEventFilter(this);

    // ---- device grid in its resizable panel
    GripPanel1 = new TGripPanel(this);
    GripPanel1->setObjectName(QStringLiteral("GripPanel1"));
    GripPanel1->SetAlign(alBottom);
    GripPanel1->SetMinSize(60);
    auto* gl = new QVBoxLayout(GripPanel1);
    gl->setContentsMargins(0, 0, 0, 0);
    DBGrid1 = new TCardGrid(QStringLiteral("DBGrid1"), DeviceGridColumns(), GripPanel1);
    gl->addWidget(DBGrid1);
    root->addWidget(GripPanel1);
    GripPanel1->SetSize(130);

    for (TDbText* t : m_texts) {
        if (!t->IsLink()) continue;
        connect(t, &TDbText::Clicked, this, [this, t] { emit LinkClicked(t->Field()); });
    }
    connect(ImageAdres, &QToolButton::clicked, this,
            [this] { emit LinkClicked(QStringLiteral("vU_ADR_Adres")); });
    connect(ImageLokalizacja, &QToolButton::clicked, this,
            [this] { emit LinkClicked(QStringLiteral("vU_LOK_Adres2")); });
    connect(ImageKoresp, &QToolButton::clicked, this,
            [this] { emit LinkClicked(QStringLiteral("vU_KOR_Adres")); });
    connect(ImageGg, &QToolButton::clicked, this, [this] { emit LinkClicked(QStringLiteral("U_NRGG")); });
    connect(ImageWspolrzedne, &QToolButton::clicked, this,
            [this] { emit LinkClicked(QStringLiteral("U_GEOLOK")); });
}

bool TUserDanePodstawowe::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonDblClick) {
        if (o == ImageTauronBsa) {
            emit TauronDoubleClicked();
            return true;
        }
        if (o == PanelTeryt ||
            (qobject_cast<QWidget*>(o) && static_cast<QWidget*>(o)->parent() == PanelTeryt)) {
            emit TerytDoubleClicked();
            return true;
        }
    }
    return QWidget::eventFilter(o, e);
}

void TUserDanePodstawowe::ShowRecord(const TQuery* q)
{
    for (TDbText* t : m_texts) {
        const TField* f = field(q, t->Field());
        QString v = f ? f->AsString() : QString();
        v.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (f && isMoney(t->Field())) v = cardMoneyText(f->AsCurrency());
        t->setText(v);
        // A value cut by a narrow field is read whole in the hint; links keep their own hint.
        if (!t->IsLink() && t->property("fixedHint").isNull()) t->setToolTip(v);
    }
    const TField* uwagi = field(q, QStringLiteral("U_UWAGI"));
    MemoUwagi->setPlainText(uwagi ? uwagi->AsString() : QString());

    LabelNaliczanie->setText(AutoInvoicingText(intOf(q, "U_AUTOMATYCZNEFAKTURY")));
    LabelWydruk->setText(SalesPrintText(intOf(q, "U_RODZAJWYDRUKUFV"), GlobalRodzajWydruku));
    LabelIndywidForma->setText(YesNoText(intOf(q, "U_CZYINDYWTERMINPLATNOSCI")));
    const int innaLok = intOf(q, "U_CZYINNALOKALIZACJA");
    LabelInnaLokalizacja->setText(YesNoText(innaLok));
    if (TDbText* lok = Text(QStringLiteral("vU_LOK_Adres2"))) {
        QPalette pal = lok->palette();
        pal.setColor(QPalette::WindowText,
                     innaLok == 1 ? QColor(Qt::red) : palette().color(QPalette::WindowText));
        lok->setPalette(pal);
    }
    LabelAdresKoresp->setText(YesNoText(intOf(q, "U_CZYADRESDOKORESP")));
    GroupAutoryzacja->setTitle(AuthorizationCaption(intOf(q, "U_CZYPOMINNADRUKIBOK")));
    const int firma = intOf(q, "U_CZYFIRMA");
    LabelFirma->setText(CompanyKindText(firma));
    QPalette pf = LabelFirma->palette();
    pf.setColor(QPalette::WindowText, firma == 1 ? QColor(Qt::red) : QColor(Qt::gray));
    LabelFirma->setPalette(pf);

    // The balance is green from 0 up and red below.
    if (TDbText* saldo = Text(QStringLiteral("U_SALDO"))) {
        const TField* f = field(q, QStringLiteral("U_SALDO"));
        QPalette ps = saldo->palette();
        ps.setColor(QPalette::WindowText,
                    !f || f->AsCurrency() >= Amount4() ? QColor(Qt::darkGreen) : QColor(Qt::red));
        saldo->setPalette(ps);
    }
}

void TUserDanePodstawowe::ShowServices(const TQuery* q)
{
    const std::pair<QLabel*, const char*> panels[] = {{PanelRd, "U_USL_RADIO"},
                                                      {PanelTel, "U_USL_TELEFON"},
                                                      {PanelTv, "U_USL_TV"},
                                                      {PanelInt, "U_USL_INTERNET"}};
    for (const auto& [panel, name] : panels)
        panel->setVisible(intOf(q, name) == 1);
}
