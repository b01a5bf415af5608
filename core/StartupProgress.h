#pragma once
// What the start-up steps report to: the splash shows it, a test or a
// program without windows passes nothing.
#include <QString>

class TStartupProgress
{
public:
    virtual ~TStartupProgress() = default;
    // Shown with its gauge, which runs to steps.
    virtual void Begin(int steps) = 0;
    virtual int GetProgressMax() const = 0;
    virtual void SetProgressMax(int max) = 0;
    // The step's text, then the gauge advances by 1.
    virtual void StepProgress(const QString& text) = 0;
};
