// The Qt message box behind TMD::MessageDlg.
#include "core/DialogPL.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QThread>

namespace {

// The owner of the last box; windows live until exit, QPointer covers the rest.
QPointer<QWidget> g_lastOwner;

QMessageBox::Icon iconFor(unsigned char kind)
{
    switch (kind) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonDef
{
    QMessageBox::StandardButton qt;
    const char* text;
    int result;
};

QList<ButtonDef> buttonsFor(TMD::Style style)
{
    const ButtonDef ok{QMessageBox::Ok, "OK", mrOk};
    const ButtonDef cancel{QMessageBox::Cancel, "Anuluj", mrCancel};
    const ButtonDef yes{QMessageBox::Yes, "Tak", mrYes};
    const ButtonDef no{QMessageBox::No, "Nie", mrNo};
    const ButtonDef abort{QMessageBox::Abort, "Przerwij", mrAbort};
    const ButtonDef retry{QMessageBox::Retry, "Ponów", mrRetry};
    const ButtonDef ignore{QMessageBox::Ignore, "Ignoruj", mrIgnore};
    switch (style) {
    case TMD::Style::Ok:
        return {ok};
    case TMD::Style::OkCancel:
        return {ok, cancel};
    case TMD::Style::RetryCancel:
        return {retry, cancel};
    case TMD::Style::YesNoCancel:
        return {yes, no, cancel};
    case TMD::Style::YesNo:
        return {yes, no};
    case TMD::Style::AbortRetryIgnore:
        return {abort, retry, ignore};
    }
    return {ok};
}

// A box taller than the screen hides its buttons. A long text (a decorated
// database error with its SQL and parameters) keeps its first lines as the
// message; the rest goes into a scrollable area under it.
constexpr int kMaxBoxLines = 20;
constexpr int kHeadLines = 10;

struct SplitText
{
    QString head;
    QString detail;
};

SplitText splitLongText(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() <= kMaxBoxLines) return {text, QString()};
    // The decorated error: the message up to its statement, the statement and parameters below.
    int cut = kHeadLines;
    for (int i = 1; i < kHeadLines; ++i)
        if (lines[i].trimmed() == QLatin1String("TQuery.SQL:")) {
            cut = i;
            break;
        }
    while (cut > 1 && lines[cut - 1].trimmed().isEmpty())
        --cut;
    return {lines.mid(0, cut).join(QLatin1Char('\n')), lines.mid(cut).join(QLatin1Char('\n')).trimmed()};
}

void addDetailArea(QMessageBox& box, const QString& detail)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!grid || !label) return;
    int row, col, rowSpan, colSpan;
    grid->getItemPosition(grid->indexOf(label), &row, &col, &rowSpan, &colSpan);
    if (grid->itemAtPosition(row + 1, col)) return;

    auto* area = new QPlainTextEdit(&box);
    area->setObjectName(QStringLiteral("DetailText"));
    area->setReadOnly(true);
    area->setLineWrapMode(QPlainTextEdit::NoWrap);
    area->setPlainText(detail);
    QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const QFontMetrics fm(area->font());
    const int lines = int(detail.count(QLatin1Char('\n'))) + 1;
    const int wanted = lines * fm.lineSpacing() + 2 * area->frameWidth() + 12;
    area->setFixedHeight(qMin(wanted, avail.height() * 35 / 100));
    area->setMinimumWidth(qMin(640, avail.width() - 120));
    grid->addWidget(area, row + 1, col);
}

int showBox(const QString& msg, const QString& caption, unsigned char kind, TMD::Style style)
{
    QWidget* owner = QApplication::activeWindow();
    if (owner)
        g_lastOwner = owner;
    else
        owner = g_lastOwner.data();

    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setIcon(iconFor(kind));
    box.setTextFormat(Qt::PlainText);
    const SplitText text = splitLongText(TMD::WithLineBreaks(msg));
    box.setText(text.head);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);

    const QList<ButtonDef> defs = buttonsFor(style);
    QMap<QAbstractButton*, int> results;
    for (const ButtonDef& d : defs) {
        box.addButton(d.qt);
        QAbstractButton* b = box.button(d.qt);
        b->setText(QString::fromUtf8(d.text));
        results.insert(b, d.result);
    }
    // As on the original platform, the first button is the default one.
    box.setDefaultButton(defs.first().qt);
    if (!text.detail.isEmpty()) addDetailArea(box, text.detail);
    box.exec();
    return results.value(box.clickedButton(), TMD::CloseAnswer(style));
}

} // namespace

void InstallMessageBox()
{
    TMD::SetPresenter([](const QString& msg, const QString& caption, unsigned char kind, TMD::Style style) {
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        // A console tool: no windows to show.
        if (!app) return TMD::ToErrorStream(msg, caption, style);
        if (QThread::currentThread() != app->thread()) {
            // Widgets live on the user-interface thread only; a worker waits for the answer there.
            int result = mrNone;
            QMetaObject::invokeMethod(
                app, [&] { result = showBox(msg, caption, kind, style); }, Qt::BlockingQueuedConnection);
            return result;
        }
        return showBox(msg, caption, kind, style);
    });
}
