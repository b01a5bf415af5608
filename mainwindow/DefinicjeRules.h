#pragma once
// The rules of the dictionaries window without its widgets: the nameless-row
// clean-up, the group deletion guards, the template kinds and the second RTF
// body of a template.
#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

// The 14 statements run on closing, each on its own.
QStringList NamelessRowDeletions();
// Runs them; a failing one does not stop the others (the first error is rethrown after).
void DeleteNamelessRows();

// True when a subscriber has the group in any of U_GRUPA1..U_GRUPA10.
bool UserGroupInUse(int grIndex);
// True when a device has the group in any of INF_GRUPA1..INF_GRUPA10.
bool InfraGroupInUse(int griIndex);
inline const char* const kUserGroupInUse = "Nie można usunąć grupy do której są przypisani użytkownicy.";
inline const char* const kInfraGroupInUse = "Nie można usunąć grupy do której są przypisane urządzenia.";

struct TTemplateKind
{
    QChar Letter;
    QString Caption;
    bool Rich = false;    // RTF body in the rich editor; the plain memo otherwise
    QString SubjectLabel; // empty: the subject panel is hidden
    QString SubjectHint;
    QString VariableKind; // the text-variable list offered
};
// S, E, U, W, P, M, N in the order of the radio group.
const std::vector<TTemplateKind>& TemplateKinds();
// Index of a kind letter; 0 (SMS) for an unknown one.
int TemplateKindIndex(const QString& letter);

// The tariff bandwidth pick list.
QStringList BandwidthPickList();

// A second RTF body longer than this is refused rather than cut: a cut RTF
// loses its closing braces and the document its end.
inline constexpr int kAdditionalRtfLimit = 70000;
QString AdditionalRtfTooLongMessage();
// Stores the file's text as SZ_TRESC2 of the template; false (nothing stored)
// when it is over the limit.
bool StoreAdditionalRtf(int szIndex, const QByteArray& fileText);
void RemoveAdditionalRtf(int szIndex);
