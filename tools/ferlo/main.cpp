// Company lookup by NIP. Until the register client lands it only checks its
// one argument (access code + NIP) and leaves no "param.tmp", which the main
// program reads as "nothing found".
#include <QCoreApplication>
#include <QString>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 || !args.at(1).startsWith(QLatin1String("4729")))
        return 0;
    return 0;
}
