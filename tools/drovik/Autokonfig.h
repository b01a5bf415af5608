#pragma once
// The configurator's only window: a small progress bar while the scripts are written.
#include <QWidget>

class QProgressBar;
class QTimer;

class TFormAutokonfig : public QWidget
{
    Q_OBJECT
public:
    explicit TFormAutokonfig(QWidget* parent = nullptr);

private:
    void buildUi();
    // The whole work, once: writes the scripts and ends the program.
    void Timer1Timer();
    void advance(int by = 1);

    QProgressBar* ProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr;
};
