#pragma once
// The application object: every error no handler caught ends here, in the
// data module's exception handler, instead of tearing the event loop down.
#include <QApplication>

class TOrlixApplication : public QApplication
{
public:
    TOrlixApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Fixes the process-wide formats (Polish: decimal comma, "yyyy-mm-dd").
void SetProgramFormats();
