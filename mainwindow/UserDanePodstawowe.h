#pragma once
// The tab "Dane podstawowe" of the subscriber card: read-only panels over the
// card's subscriber row, the field links, and the device grid below them.
#include <QLabel>
#include <QMap>
#include <QWidget>

class QGroupBox;
class QPlainTextEdit;
class TCardGrid;
class QToolButton;
class TGripPanel;
class TQuery;
class TQueryModel;
class TThemedPanel;

// A read-only field text; with a link it looks and acts like one.
class TDbText : public QLabel
{
    Q_OBJECT
public:
    TDbText(const QString& field, QWidget* parent);
    QString Field() const { return m_field; }
    void SetLink(const QString& hint);
    bool IsLink() const { return m_link; }

signals:
    void Clicked();
    void DoubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QString m_field;
    bool m_link = false;
};

class TUserDanePodstawowe : public QWidget
{
    Q_OBJECT
public:
    explicit TUserDanePodstawowe(QWidget* parent = nullptr);

    // Fills every text and derived label from the current row (nothing shown when closed).
    void ShowRecord(const TQuery* q);
    // Service panels: 30 pixels for a flag of 1, hidden otherwise.
    void ShowServices(const TQuery* q);

    TDbText* Text(const QString& field) const { return m_texts.value(field); }
    QList<TDbText*> Texts() const { return m_texts.values(); }

    QLabel* LabelNaliczanie = nullptr;
    QLabel* LabelWydruk = nullptr;
    QLabel* LabelIndywidForma = nullptr;
    QLabel* LabelInnaLokalizacja = nullptr;
    QLabel* LabelAdresKoresp = nullptr;
    QLabel* LabelFirma = nullptr;
    QGroupBox* GroupAutoryzacja = nullptr;
    QPlainTextEdit* MemoUwagi = nullptr;
    TThemedPanel* PanelTeryt = nullptr;
    QLabel* PanelInt = nullptr;
    QLabel* PanelTv = nullptr;
    QLabel* PanelTel = nullptr;
    QLabel* PanelRd = nullptr;
    QToolButton* ImageAdres = nullptr;
    QToolButton* ImageLokalizacja = nullptr;
    QToolButton* ImageKoresp = nullptr;
    QToolButton* ImageWspolrzedne = nullptr;
    QToolButton* ImageGg = nullptr;
    QToolButton* ImageTauronBsa = nullptr;
    // The device grid in its resizable panel.
    TGripPanel* GripPanel1 = nullptr;
    TCardGrid* DBGrid1 = nullptr;

    // The global RodzajWydrukuPrzelewu, read when the card is shown.
    int GlobalRodzajWydruku = 1;

signals:
    // A field link or its picture was clicked (the field's name).
    void LinkClicked(const QString& field);
    void TerytDoubleClicked();
    void TauronDoubleClicked();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void buildUi();
    TDbText* text(const QString& field, QWidget* parent);
    QMap<QString, TDbText*> m_texts;
};
