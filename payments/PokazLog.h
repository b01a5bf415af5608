#pragma once
// "Log": the stored reading log of an imported statement (Mode "PM" or ''),
// or the router log file "logiMTall.txt" of the private folder (Mode "MT").
#include "core/FormEx.h"

#include <QString>

class QLabel;
class QPlainTextEdit;

class TFormPokazLog : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormPokazLog(QWidget* parent = nullptr);
    QString Mode;
    // The import list's current register row (Mode "PM").
    int RegisterIndex = 0;
    QPlainTextEdit* Memo = nullptr;
    QLabel* Label = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};
