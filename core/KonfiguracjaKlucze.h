#pragma once
// The settings the settings dialog shows and saves: one table with each key's
// scope, type, default, page and control, walked by the loading and the
// saving so that no key is read one way and written another.
#include <QHash>
#include <QString>
#include <QVariant>
#include <vector>

enum class TKonfScope
{
    Global,     // store "app", operator 0: written only by level 1 or lower
    Workstation // this workstation and the signed-in operator
};

enum class TKonfType
{
    Bool,
    Int,
    String
};

enum class TKonfControl
{
    Check,
    Spin,
    Edit,
    Password, // masked edit
    Memo,
    Radio,    // Items, stores the item index
    Combo,    // Items, selection only, stores the text
    Folder,   // edit with the folder chooser and a clear button
    Printer,  // label with the print dialog and a clear button
    FileName, // label: written by the file buttons, not by "Zapisz"
    Hidden    // loaded and saved, not shown
};

enum class TKonfSpecial
{
    None,
    Scrambled,       // stored through ScrambleText
    RadioPlusOne,    // radio item index + 1
    IntCheck,        // Int shown as a check box: 1 or 0
    ResetSiatek,     // checked when the value is this HostId; written only when checked
    NotSaved,        // written by the dialog's buttons, never by "Zapisz"
    ArchiveDefault,  // default: the archive folder in use
    SuffixMonthYear, // edit followed by "/Miesiąc/Rok" or "/Rok" (the number masks)
};

// Page indexes of the dialog.
enum TKonfPage
{
    kPageUstawienia = 0,
    kPageDokumenty,
    kPageProgramy,
    kPageIntrux,
    kPageSms,
    kPageDaneFirmy,
    kPagePoczta,
    kPageMikrotik,
    kPageVove,
    kPageGrafika,
    kPageInne,
    kPageKsef,
    kKonfPageCount
};

struct TKonfKey
{
    QString Key;
    TKonfScope Scope = TKonfScope::Global;
    TKonfType Type = TKonfType::String;
    QVariant Default;
    int Page = 0;
    QString Group;   // group box on the page; empty: the page's loose fields
    QString Caption; // of the check box, radio group or the field's label
    TKonfControl Control = TKonfControl::Edit;
    int Min = 0, Max = 0; // spin range
    QStringList Items;    // radio or combo items
    QString Mask;         // regular expression the text must match as typed
    int MaxLength = 0;    // 0: no limit
    QString After;        // text after the field ("dni", "PLN")
    TKonfSpecial Special = TKonfSpecial::None;
};

using TKonfValues = QHash<QString, QVariant>;

// Every key, in the order of the pages and their fields.
const std::vector<TKonfKey>& KonfiguracjaKeys();
const TKonfKey* FindKonfiguracjaKey(const QString& key);

// The scope number the settings store takes: 0 or OperatorId.
int KonfScopeId(TKonfScope scope);

// Reads every key with its default: Bool as bool, Int as int, String as
// text; the KSeF passwords unscrambled, ResetSiatek as a bool.
TKonfValues LoadKonfiguracja();
// Writes every key but the NotSaved ones. A database error propagates so the
// caller's transaction rolls back everything; global keys are skipped by the
// store above level 1.
void SaveKonfiguracja(const TKonfValues& values);

// The subscriber grid's short titles shown longer in the column list.
QString LongColumnTitle(const QString& title);
