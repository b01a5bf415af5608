#pragma once
// "Wydruk i wysyłka dokumetów": one company's invoices, payment demands or
// corrections chosen by date, number and subscriber, printed, mailed, stored,
// packed for KSeF or envelo, or dumped as the electronic copy.
#include "core/FormEx.h"
#include "printouts/WydrukDokumentowDane.h"

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class TDateTimePicker;
class TKopiaElektroniczna;

class TFormWydrukDokumentow : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormWydrukDokumentow(QWidget* parent = nullptr);
    ~TFormWydrukDokumentow() override;

    QButtonGroup* RadioGroup1 = nullptr; // output
    QButtonGroup* RadioGroup2 = nullptr; // kind
    QButtonGroup* RadioGroup3 = nullptr; // subscriber mark
    QButtonGroup* RadioGroup4 = nullptr; // after printing
    TDateTimePicker* DateTimePicker1 = nullptr;
    TDateTimePicker* DateTimePicker2 = nullptr;
    QCheckBox* CheckBox1 = nullptr; // one job per document
    QCheckBox* CheckBox2 = nullptr; // pause between mails
    QCheckBox* CheckBox3 = nullptr; // main grid's subscribers only
    QCheckBox* CheckBox4 = nullptr; // number range
    QCheckBox* CheckBox5 = nullptr; // company-marked subscribers
    QCheckBox* CheckBox6 = nullptr; // "!": negation of CheckBox5
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QComboBox* ComboBox1 = nullptr; // e-mail template
    QComboBox* ComboBox2 = nullptr; // company
    QSpinBox* SpinEdit1 = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label4 = nullptr; // caption of Label6
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label10 = nullptr; // skipped PDFs and failed files of the last run
    QProgressBar* Gauge1 = nullptr;
    QPushButton* StartButton = nullptr; // "Rozpocznij wydruk"
    QPushButton* AbortButton = nullptr; // "Przerwij wydruk"

    int FoundCount = 0;
    bool AbortRequested = false;
    TBulkRun LastRun;
    TBulkSql Sql;

    void RefreshCriteria();
    void LoadTemplates();
    void RunBulkOutput();
    void SetPeriod(int button); // 0 this month .. 4 last year

    // The text variables of a template for a subscriber; unset, only the date
    // variables of the mail are filled in.
    static std::function<QString(int userIndex, const QString& text)> ExpandText;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
    QWidget* buildOutputs();
    QWidget* buildCriteria();
    QWidget* buildRun();
    void formShow();
    void criteriaChanged();
    TBulkCriteria criteria() const;
    void printDocuments(int kind, const QString& printer, const QString& sql, const TArgs& args,
                        bool preview);
    void documentLoop(int output, const QString& printer, TKopiaElektroniczna& ej, QList<int>& ids);
    void mailDocuments(const QList<int>& ids);
    void storeDocuments(const QList<int>& ids);
    void showSummary();
    bool m_refreshing = false;
    QString m_criteriaError;
};

TFormWydrukDokumentow* FormWydrukDokumentow();
