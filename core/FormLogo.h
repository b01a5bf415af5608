#pragma once
// The start-up splash: program version, current step, progress gauge.
#include "core/FormEx.h"
#include "core/Funkcje.h"
#include "core/StartupProgress.h"

#include <QDateTime>
#include <QStringList>

class QLabel;
class QProgressBar;

class TFormLogo : public TFormEx, public TStartupProgress
{
    Q_OBJECT
public:
    explicit TFormLogo(QWidget* parent = nullptr);
    ~TFormLogo() override;

    void SetStepText(const QString& text); // shows it and repaints at once
    void Begin(int steps) override;
    int GetProgressMax() const override;
    void SetProgressMax(int max) override;
    void StepProgress(const QString& text) override; // step text, then the gauge advances by 1
    int Progress() const;

    QLabel* WersjaProgramu = nullptr;
    QLabel* CzynnoscLabel = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QLabel* Label1 = nullptr; // the non-default database alias, when one is used
    QLabel* Image1 = nullptr;
    QLabel* FixedLine = nullptr;

    // The step texts shown so far (tests read them).
    const QStringList& StepHistory() const { return m_history; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
    QStringList m_history;
};

extern TFormLogo* FormLogo;
extern QDateTime SplashShownAt;
