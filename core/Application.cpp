#include "core/Application.h"

#include "core/DataModule.h"
#include "core/ProgramExit.h"

#include <QLocale>

TOrlixApplication::TOrlixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TOrlixApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EProgramExit& e) {
        TerminateProgram(e.code);
    } catch (const std::exception& e) {
        TData::ApplicationException(e);
    } catch (...) {
        TData::ApplicationException(QStringLiteral("Nieznany błąd"));
    }
    return false;
}

void SetProgramFormats()
{
    // Fixed once; the program does not follow later changes of the system's locale.
    QLocale pl(QLocale::Polish, QLocale::Poland);
    pl.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(pl);
    QApplication::setApplicationName(QStringLiteral("Orlix6 KSeF"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orlix6 KSeF"));
}
