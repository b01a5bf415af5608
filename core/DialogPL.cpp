#include "core/DialogPL.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <mutex>

namespace {

TMD::Hook g_hook;
QList<TMD::Shown> g_recorded;
std::mutex g_recordMutex; // workers may ask questions too
// The owner of the last box; windows live until exit, QPointer covers the rest.
QPointer<QWidget> g_lastOwner;

int defaultAnswer(TMD::Style style)
{
    switch (style) {
    case TMD::Style::Ok:
    case TMD::Style::OkCancel:
        return mrOk;
    case TMD::Style::YesNo:
    case TMD::Style::YesNoCancel:
        return mrYes;
    case TMD::Style::RetryCancel:
        return mrRetry;
    case TMD::Style::AbortRetryIgnore:
        return mrAbort;
    }
    return mrOk;
}

// The answer when the box is closed without a button (Escape, the window's close).
int closeAnswer(TMD::Style style)
{
    switch (style) {
    case TMD::Style::OkCancel:
    case TMD::Style::RetryCancel:
    case TMD::Style::YesNoCancel:
        return mrCancel;
    case TMD::Style::YesNo:
        return mrNo;
    case TMD::Style::AbortRetryIgnore:
        return mrAbort;
    case TMD::Style::Ok:
        return mrOk;
    }
    return mrOk;
}

QString withLineBreaks(const QString& msg)
{
    QString text = msg;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Scripts and tests run the program under xvfb; this file is their trace of what it said.
void appendToLog(const QString& caption, const QString& msg)
{
    const QByteArray path = qgetenv("ORLIX_MSGBOX_LOG");
    if (path.isEmpty()) return;
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    f.write(QStringLiteral("[%1] %2\n").arg(caption, withLineBreaks(msg)).toUtf8());
}

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
    const SplitText text = splitLongText(withLineBreaks(msg));
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
    return results.value(box.clickedButton(), closeAnswer(style));
}

} // namespace

QString TMD::CaptionFor(unsigned char kind)
{
    switch (kind) {
    case mtWarning:
        return QStringLiteral("Ostrzeżenie");
    case mtError:
        return QStringLiteral("Błąd");
    case mtInformation:
        return QStringLiteral("Informacja");
    case mtConfirmation:
        return QStringLiteral("Potwierdź");
    default:
        return QStringLiteral("Wiadomość");
    }
}

TMD::Style TMD::StyleFor(TMsgDlgButtons b)
{
    auto has = [b](TMsgDlgButtons bits) { return (b & bits) == bits; };
    if (has(mbOK | mbCancel)) return Style::OkCancel;
    if (has(mbRetry | mbCancel)) return Style::RetryCancel;
    if (has(mbYes | mbNo | mbCancel)) return Style::YesNoCancel;
    if (has(mbYes | mbNo)) return Style::YesNo;
    if (has(mbAbort | mbRetry | mbIgnore)) return Style::AbortRetryIgnore;
    return Style::Ok;
}

int TMD::MessageDlg(const QString& msg, unsigned char kind, TMsgDlgButtons buttons, int /*helpContext*/)
{
    const QString caption = CaptionFor(kind);
    const Style style = StyleFor(buttons);
    appendToLog(caption, msg);

    if (g_hook) {
        const Shown shown{msg, caption, kind, buttons};
        {
            std::lock_guard lock(g_recordMutex);
            g_recorded.append(shown);
        }
        const Hook hook = g_hook; // the hook may clear itself
        const int answer = hook(shown);
        return answer != mrNone ? answer : defaultAnswer(style);
    }

    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        // A console tool: no windows to show, the text goes to the error stream.
        std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(),
                     withLineBreaks(msg).toLocal8Bit().constData());
        std::fflush(stderr);
        return defaultAnswer(style);
    }

    if (QThread::currentThread() != app->thread()) {
        // Widgets live on the user-interface thread only; a worker waits for the answer there.
        int result = mrNone;
        QMetaObject::invokeMethod(
            app, [&] { result = showBox(msg, caption, kind, style); }, Qt::BlockingQueuedConnection);
        return result;
    }
    return showBox(msg, caption, kind, style);
}

void TMD::SetTestHook(Hook hook)
{
    g_hook = std::move(hook);
}

void TMD::ClearTestHook()
{
    g_hook = nullptr;
}

const QList<TMD::Shown>& TMD::Recorded()
{
    return g_recorded;
}

void TMD::ClearRecorded()
{
    std::lock_guard lock(g_recordMutex);
    g_recorded.clear();
}
