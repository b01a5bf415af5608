#include "platform/DefaultPrinter.h"

#include <QPrinterInfo>
#include <mutex>

namespace {
std::mutex g_mutex;
QString g_chosen;
QStringList g_programPrinters;
} // namespace

QString DefaultPrinterName()
{
    {
        std::lock_guard lock(g_mutex);
        if (!g_chosen.isEmpty()) return g_chosen;
    }
    return QPrinterInfo::defaultPrinterName();
}

void RegisterProgramPrinter(const QString& name)
{
    std::lock_guard lock(g_mutex);
    if (!name.isEmpty() && !g_programPrinters.contains(name)) g_programPrinters.append(name);
}

QStringList KnownPrinterNames()
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    std::lock_guard lock(g_mutex);
    for (const QString& n : g_programPrinters)
        if (!names.contains(n)) names.append(n);
    return names;
}

bool SelectDefaultPrinter(const QString& name)
{
    if (name.isEmpty() || !KnownPrinterNames().contains(name)) return false;
    std::lock_guard lock(g_mutex);
    g_chosen = name;
    return true;
}

QString DefaultPrinterEntry()
{
    const QString name = DefaultPrinterName();
    if (name.isEmpty()) return QString();
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    // A program printer has no CUPS entry: its driver and port stay empty.
    return name + QLatin1Char(',') + info.makeAndModel() + QLatin1Char(',') + info.location();
}
