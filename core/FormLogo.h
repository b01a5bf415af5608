#pragma once
// The start-up splash: program version, current step, progress gauge.
#include "core/FormEx.h"

#include <QDateTime>
#include <QStringList>

class QLabel;
class QProgressBar;

class TFormLogo : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormLogo(QWidget* parent = nullptr);
    ~TFormLogo() override;

    void SetStepText(const QString& text); // shows it and repaints at once
    int GetProgressMax() const;
    void SetProgressMax(int max);
    void StepProgress(const QString& text); // step text, then the gauge advances by 1
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
extern double DpiScale;
extern QDateTime SplashShownAt;
