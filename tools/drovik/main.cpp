// Post-install configurator. Its script writers arrive with their own work;
// for now it runs once and exits cleanly, as the installer expects.
#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return 0;
}
