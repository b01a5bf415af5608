#include "registers/EwidencjaSprzedazy.h"

#include "billing/DateVariables.h"
#include "core/DateTimePicker.h"
#include "core/DbIni.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/Podmioty.h"
#include "ksef/Jpk.h"
#include "printouts/PodgladRaportu.h"
#include "registers/DrukEwidencjaKorekt.h"
#include "registers/DrukEwidencjaSprzedazy.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormEwidencjaSprzedazy* FormEwidencjaSprzedazy = nullptr;

namespace {

const QString kHint =
    QStringLiteral("Zmienne: <#Y> - rok; <#M> - miesiąc cyfrą; <#m> - miesiąc słownie; <#D> - dzień "
                   "z pola \"Data początkowa\"");
const QString kFilterWarning =
    QStringLiteral("Przejęto filtrowanie dokumentów dla użytkowników aktualnie "
                   "widocznych w tabeli głównej. Zapisane dane mogą być niepełne.");
const char* const kJpkButtons[] = {"Generuj plik JPK_VAT(3)", "Generuj plik JPK_FA(4)",
                                   "Generuj plik JPK_V7M(2)", "Generuj plik JPK_V7K(2)",
                                   "Generuj plik JPK_V7M(3)", "Generuj plik JPK_V7K(3)"};

QString notice(bool vatGroupLine)
{
    return QStringLiteral(
               "POUCZCZENIE\r\n\r\n  - w przypadku niewpłacenia w obowiązującym terminie podatku "
               "podlegającego wpłacie \r\ndo urzędu skarbowego lub wpłacenia go w niepełnej wysokości "
               "niniejsza deklaracja stanowi podstawę \r\ndo wystawienia tytułu wykonawczego, zgodnie z "
               "przepisami o postępowaniu egzekucyjnym w administracji;\r\n") +
           (vatGroupLine ? QStringLiteral("Niniejsza deklaracja stanowi podstawę do wystawienia tytułu "
                                          "wykonawczego również na członka grupy VAT.\r\n")
                         : QString()) +
           QStringLiteral("\r\n  - za podanie nieprawdy lub zatajenie prawdy i przez to narażenie podatku na "
                          "uszczuplenie grozi \r\nodpowiedzialność przewidziana w przepisach Kodeksu karnego "
                          "skarbowego.");
}

QDate serverDate(const char* sql)
{
    return QDate::fromString(GlobalSession()->GetQueryValueAsString(QLatin1String(sql)), Qt::ISODate);
}

} // namespace

TFormEwidencjaSprzedazy::TFormEwidencjaSprzedazy(QWidget* parent) : TFormEx(parent)
{
    setWindowTitle(QStringLiteral("Ewidencja sprzedaży"));
    buildUi();
    setPreviousMonth();
}

TFormEwidencjaSprzedazy::~TFormEwidencjaSprzedazy() = default;

void TFormEwidencjaSprzedazy::ShowWindow()
{
    if (!FormEwidencjaSprzedazy) FormEwidencjaSprzedazy = new TFormEwidencjaSprzedazy();
    FormEwidencjaSprzedazy->exec();
}

void TFormEwidencjaSprzedazy::buildUi()
{
    auto* root = new QVBoxLayout(this);
    root->addWidget(buildPeriod());
    root->addWidget(buildPrinting());
    root->addWidget(buildJpk());
    auto* close = new QPushButton(QStringLiteral("Zamknij"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout();
    bottom->addStretch();
    bottom->addWidget(close);
    root->addLayout(bottom);
}

QGroupBox* TFormEwidencjaSprzedazy::buildPeriod()
{
    auto* box = new QGroupBox(QStringLiteral("Okres i podmiot"), this);
    auto* g = new QGridLayout(box);
    m_from = new TDateTimePicker(box);
    m_to = new TDateTimePicker(box);
    g->addWidget(new QLabel(QStringLiteral("Data początkowa:"), box), 0, 0);
    g->addWidget(m_from, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Data końcowa:"), box), 1, 0);
    g->addWidget(m_to, 1, 1);
    auto* current = new QPushButton(QStringLiteral("Aktualny miesiąc"), box);
    auto* previous = new QPushButton(QStringLiteral("Poprzedni miesiąc"), box);
    g->addWidget(current, 0, 2);
    g->addWidget(previous, 1, 2);
    m_podmioty = new QComboBox(box);
    m_podmioty->setEditable(false);
    g->addWidget(new QLabel(QStringLiteral("Podmiot:"), box), 2, 0);
    g->addWidget(m_podmioty, 2, 1);
    m_filter = new QCheckBox(QStringLiteral("Przejmij filtowanie tabeli głównej"), box);
    g->addWidget(m_filter, 3, 0, 1, 3);
    connect(current, &QPushButton::clicked, this, [this] { RunGuarded([this] { currentMonth(); }); });
    connect(previous, &QPushButton::clicked, this, [this] { RunGuarded([this] { previousMonth(); }); });
    connect(m_from, &TDateTimePicker::Changed, this, &TFormEwidencjaSprzedazy::fromChanged);
    connect(m_to, &TDateTimePicker::Changed, this, &TFormEwidencjaSprzedazy::toChanged);
    return box;
}

QGroupBox* TFormEwidencjaSprzedazy::buildPrinting()
{
    auto* box = new QGroupBox(QStringLiteral("Wydruk ewidencji"), this);
    auto* g = new QGridLayout(box);
    m_commentInvoices = new QLineEdit(box);
    m_commentCorrections = new QLineEdit(box);
    m_commentInvoices->setMinimumWidth(300);
    m_commentCorrections->setMinimumWidth(300);
    int row = 0;
    for (auto [edit, caption, invoices] :
         {std::tuple{m_commentInvoices, "Drukuj ewidencję faktur", true},
          std::tuple{m_commentCorrections, "Drukuj ewidencję korekt", false}}) {
        edit->setToolTip(kHint);
        g->addWidget(new QLabel(QStringLiteral("Komentarz"), box), row, 0);
        g->addWidget(edit, row, 1);
        auto* print = new QPushButton(QString::fromUtf8(caption), box);
        g->addWidget(print, row, 2);
        const bool inv = invoices;
        connect(print, &QPushButton::clicked, this,
                [this, inv] { RunGuarded([this, inv] { printRegister(inv); }); });
        ++row;
    }
    auto* hint = new QLabel(kHint, box);
    hint->setWordWrap(true);
    g->addWidget(hint, row, 0, 1, 3);
    g->setColumnStretch(1, 1);
    return box;
}

QGroupBox* TFormEwidencjaSprzedazy::buildJpk()
{
    auto* box = new QGroupBox(QStringLiteral("Jednolity Plik Kontrolny (JPK)"), this);
    auto* g = new QGridLayout(box);
    for (int i = 0; i < 6; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(kJpkButtons[i]), box);
        g->addWidget(b, i / 2, i % 2);
        connect(b, &QPushButton::clicked, this, [this, i] { RunGuarded([this, i] { generateJpk(i); }); });
    }
    return box;
}

QPushButton* TFormEwidencjaSprzedazy::Button(const QString& caption) const
{
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    return nullptr;
}

void TFormEwidencjaSprzedazy::setPreviousMonth()
{
    const QDate first = QDate::currentDate().addDays(1 - QDate::currentDate().day()).addMonths(-1);
    m_adjusting = true;
    m_from->SetDate(first);
    m_to->SetDate(first.addMonths(1).addDays(-1));
    m_adjusting = false;
}

void TFormEwidencjaSprzedazy::currentMonth()
{
    const QDate from = serverDate("select DATE_SUB(CURDATE(), INTERVAL (dayofmonth(CURDATE()) - 1) DAY)");
    m_adjusting = true;
    m_from->SetDate(from);
    m_to->SetDate(QDate::currentDate());
    m_adjusting = false;
}

void TFormEwidencjaSprzedazy::previousMonth()
{
    const QDate from = serverDate(
        "select DATE_SUB(DATE_SUB(CURDATE(), INTERVAL (dayofmonth(CURDATE()) - 1) DAY), INTERVAL 1 MONTH)");
    const QDate to = serverDate("select DATE_SUB(CURDATE(), INTERVAL dayofmonth(CURDATE()) DAY)");
    m_adjusting = true;
    m_from->SetDate(from);
    m_to->SetDate(to);
    m_adjusting = false;
}

void TFormEwidencjaSprzedazy::fromChanged()
{
    if (m_adjusting || m_from->Date() <= m_to->Date()) return;
    m_adjusting = true;
    m_to->SetDate(m_from->Date());
    m_adjusting = false;
}

void TFormEwidencjaSprzedazy::toChanged()
{
    if (m_adjusting || m_to->Date() >= m_from->Date()) return;
    m_adjusting = true;
    m_from->SetDate(m_to->Date());
    m_adjusting = false;
}

void TFormEwidencjaSprzedazy::showEvent(QShowEvent* e)
{
    TFormEx::showEvent(e);
    RunGuarded([this] {
        m_commentInvoices->setText(ReadIniString(0, QStringLiteral("EwidencjaKomentarz"),
                                                 QStringLiteral("Faktury za internet (<#m> <#Y>)")));
        m_commentCorrections->setText(ReadIniString(0, QStringLiteral("EwidencjaKorektKomentarz"),
                                                    QStringLiteral("Korekty za internet (<#m> <#Y>)")));
        FillPodmiotyCombo(m_podmioty);
        const QString code = GlobalSession()->GetQueryValueAsString(
            QStringLiteral("select P_SKROT from Podmioty where P_INDEX=:p1"), {CurrentPodmiotId});
        const int i = m_podmioty->findText(code);
        if (i >= 0) m_podmioty->setCurrentIndex(i);
    });
}

void TFormEwidencjaSprzedazy::hideEvent(QHideEvent* e)
{
    RunGuarded([] { SetCurrentPodmiot(1); });
    TFormEx::hideEvent(e);
}

int TFormEwidencjaSprzedazy::SelectedPodmiot() const
{
    if (m_podmioty->currentText().isEmpty()) return 0;
    return GlobalSession()->GetQueryValueAsInteger(
        QStringLiteral("select P_INDEX from Podmioty where P_SKROT=:p1"), {m_podmioty->currentText()});
}

QString TFormEwidencjaSprzedazy::userIdList()
{
    if (!m_filter->isChecked()) return QString();
    TMD::MessageDlg(kFilterWarning, mtWarning, mbOK);
    return MainUserIdList;
}

void TFormEwidencjaSprzedazy::printRegister(bool invoices)
{
    const QString filter = userIdList();
    TFormDrukEwidencja* form = nullptr;
    if (invoices) {
        if (!m_printInvoices) m_printInvoices = new TFormDrukEwidencjaSprzedazy(this);
        form = m_printInvoices;
    } else {
        if (!m_printCorrections) m_printCorrections = new TFormDrukEwidencjaKorekt(this);
        form = m_printCorrections;
    }
    StoredReportMode = false;
    form->PodmiotIndex = SelectedPodmiot();
    form->DateFrom = m_from->Date();
    form->DateTo = m_to->Date();
    form->UserIdFilter = filter;
    QLineEdit* comment = invoices ? m_commentInvoices : m_commentCorrections;
    form->Komentarz = ExpandDateVariables(comment->text(), form->DateFrom);

    TRegisterRequest request;
    request.Kind = invoices ? TRegisterKind::Invoices : TRegisterKind::Corrections;
    request.PodmiotIndex = form->PodmiotIndex;
    request.DateFrom = form->DateFrom;
    request.DateTo = form->DateTo;
    request.UserIdFilter = filter;
    if (form->PodmiotIndex > 0) SetCurrentPodmiot(form->PodmiotIndex);
    if (RegisterIsEmpty(request))
        TMD::MessageDlg(invoices ? QStringLiteral("Brak doumentów dla wskazanych warunków")
                                 : QStringLiteral("Brak dokumentów dla wskazanych warunków"),
                        mtInformation, mbOK);
    else
        form->PrintPreview();
    WriteIniString(
        0, invoices ? QStringLiteral("EwidencjaKomentarz") : QStringLiteral("EwidencjaKorektKomentarz"),
        comment->text());
    activateWindow();
}

void TFormEwidencjaSprzedazy::generateJpk(int which)
{
    using TWriter = void (*)(const QString&, int, QString&, const QDate&, const QDate&);
    struct TJpkButton
    {
        TWriter Writer;
        int Notice; // 0 none, 1 A, 2 B
        const char* Success;
    };
    static const TJpkButton buttons[] = {{WriteJpkVat3, 0, "Plik JPK_VAT został zapisany jako:   \r\n"},
                                         {WriteJpkFa4, 0, "Plik JPK_FA(4) został zapisany jako:   \r\n"},
                                         {WriteJpkV7M2, 1, "Plik JPK_V7M został zapisany jako:   \r\n"},
                                         {WriteJpkV7K2, 1, "Plik JPK_V7K został zapisany jako:   \r\n"},
                                         {WriteJpkV7M3, 2, "Plik JPK_V7M został zapisany jako:   \r\n"},
                                         {nullptr, 0, nullptr}};
    const TJpkButton& b = buttons[which];
    if (!b.Writer) return; // JPK_V7K(3) is not published for this program yet
    const int podmiot = SelectedPodmiot();
    if (b.Notice) TMD::MessageDlg(notice(b.Notice == 2), mtInformation, mbOK);
    const QString filter = userIdList();
    QString fileName = QStringLiteral("0");
    try {
        b.Writer(filter, podmiot, fileName, m_from->Date(), m_to->Date());
    } catch (const EJpkRefused& e) {
        TMD::MessageDlg(e.Message(), mtError, mbOK);
        return;
    } catch (const std::exception&) {
        fileName = QStringLiteral("0");
    }
    if (fileName == QLatin1String("0"))
        TMD::MessageDlg(QStringLiteral("Błąd podczas generowania pliku JPK"), mtError, mbOK);
    else
        TMD::MessageDlg(QString::fromUtf8(b.Success) + fileName, mtInformation, mbOK);
}
