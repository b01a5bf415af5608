// Post-install configurator: run once by the installer after the files were
// copied; writes the scripts that set up the database server, the system's
// database and the data source into its own folder, for the installer to run.
#include "tools/drovik/Autokonfig.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TFormAutokonfig form;
    form.show();
    return app.exec();
}
