#pragma once
// "Definicje i szablony": the small dictionaries other windows pick from and
// the text templates, each a grid editing a shared dataset in place. Bound to
// the datasets only while shown; nameless rows go when it closes.
#include "core/FormEx.h"

#include <QString>
#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QWidget;
class TDictionaryGrid;
class TQuery;

class TFormDefinicje : public TFormEx
{
    Q_OBJECT
public:
    explicit TFormDefinicje(QWidget* parent = nullptr);
    ~TFormDefinicje() override;

    // The page shown on opening; back to 0 after every closing.
    int StartPage = 0;

    // The file dialog; tests answer it. Returns the chosen path or empty.
    static std::function<QString(const QString& caption, const QString& filter)> ChooseFile;

    QTabWidget* PageControl1 = nullptr;
    // The 14 grids: the six of page 0, three of page 1, four of page 2, the templates.
    TDictionaryGrid *GridTypUrzadzenia = nullptr, *GridUslugi = nullptr, *GridGrupy = nullptr,
                    *GridRodzajUrzadzenia = nullptr, *GridGrupyInf = nullptr, *GridTypLacza = nullptr,
                    *GridTaryfy = nullptr, *GridListaSieci = nullptr, *GridFormyPlatnosci = nullptr,
                    *GridWan = nullptr, *GridProfil = nullptr, *GridInterface = nullptr,
                    *GridAutoryzacja = nullptr, *GridSzablony = nullptr;
    std::vector<TDictionaryGrid*> Grids() const;
    QCheckBox* CheckSiecAktywna = nullptr;
    QLabel* NetworkLabels[6] = {};

    // Template editor.
    QButtonGroup* RodzajSzablonu = nullptr;
    QToolButton* MenuButton = nullptr; // "..."
    QWidget* SubjectPanel = nullptr;
    QLabel* SubjectLabel = nullptr;
    QLineEdit* SubjectEdit = nullptr;
    QPlainTextEdit* Memo = nullptr;
    QTextEdit* RichEdit = nullptr;
    QMenu* RichMenu = nullptr;
    QMenu* MemoMenu = nullptr;

    // Shows the network information of the current network.
    void ShowNetworkInfo();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUi();
    QWidget* buildPage0();
    QWidget* buildPage1();
    QWidget* buildPage2();
    QWidget* buildPage3();
    QWidget* buildNetworkInfo(QWidget* parent);
    QWidget* buildTemplateEditor(QWidget* parent);
    void buildMenus();

    void bindAll();
    void unbindAll();
    void loadTemplate();
    void flushTemplate(TQuery& q);
    void kindClicked(int index);
    void applyKind(int index);
    void editTemplate();
    int currentTemplateIndex();
    void insertVariable(bool rich);
    void loadRtfFile();
    void loadTxtFile();
    void addSecondRtf();
    void removeSecondRtf();
    void loadSiecAktywna();

    bool m_bound = false;
    bool m_loading = false;
    bool m_dirty = false;
    int m_kind = 0;
    std::function<void(TQuery&)> m_szBeforePost;
};

// Opens the window (created once) modally on a page.
void ShowDefinicje(int startPage);
