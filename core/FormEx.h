#pragma once
// The base of every window: fade-out on HideWithFade, optional drop shadow,
// a per-window idle routine driven by one shared dispatcher, and errors of
// the window's own handlers reported instead of lost.
#include <QDialog>
#include <functional>

class QTimer;

class TFormEx : public QDialog
{
    Q_OBJECT
public:
    explicit TFormEx(QWidget* parent = nullptr);
    ~TFormEx() override;

    bool DropShadow() const { return m_dropShadow; }
    void SetDropShadow(bool on);
    bool AlphaBlend() const { return m_alphaBlend; }
    void SetAlphaBlend(bool on);
    int AlphaBlendValue() const { return m_alphaValue; }
    void SetAlphaBlendValue(int v);
    unsigned BlendingShowTime = 500;
    unsigned BlendingHideTime = 300;
    bool ShowShadow = false;

    // Hides the window fading it out over BlendingHideTime (at once when 0 or >= 60 s).
    void HideWithFade();
    // Called after each idle pass; windows override it for their idle work.
    virtual void IdleUpdate() {}

    // Runs a handler of this window; an exception it throws is shown in the
    // message box and written to the log, and never leaves the handler.
    void RunGuarded(const std::function<void()>& handler);

protected:
    bool event(QEvent* e) override;

private:
    void applyOpacity();
    bool m_dropShadow = false;
    bool m_alphaBlend = false;
    int m_alphaValue = 255;
    bool m_fading = false;
    bool m_styled = false;
};

// The shared idle dispatcher: one registration per window, run when the
// application's event queue has gone idle.
void RegisterIdleHandler(QWidget* form, std::function<void()> handler);
void UnregisterIdleHandler(QWidget* form);
// Runs every registered idle routine once (the dispatcher's pass; tests call it).
void RunIdleHandlers();
// The look every window gets once, when it is first shown (font and scaling of
// the installation); none until the program installs one.
using TFormStyleHook = std::function<void(QWidget* form)>;
void SetFormStyleHook(TFormStyleHook hook);
// Reports an error that escaped a window handler (message box + log); the
// data module installs the real reporter, tests may replace it.
using TWindowErrorReporter = std::function<void(const QString& message)>;
void SetWindowErrorReporter(TWindowErrorReporter reporter);
void ReportWindowError(const QString& message);
