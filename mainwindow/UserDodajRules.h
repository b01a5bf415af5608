#pragma once
// The rules of the subscriber editor without its widgets: defaults of a new
// row, the checks at "Zapisz", the tax number on exit, bandwidth numbers and
// the note of a bandwidth change, the coordinate paste.
#include <QString>
#include <functional>

class TQuery;

// "select max(U_NRKLIENTA) from Userdb" + 1: 1 for an empty table.
int NextCustomerNumber();

// Fills the defaults of a row just inserted into the editor's query.
void FillNewSubscriberDefaults(TQuery& q, bool waitingRoom);

// Another row (not userIndex; 0 for a new one) has this customer number.
bool CustomerNumberTaken(const QString& customerNumber, int userIndex);
// Another row has the same tax number, dashes not counting.
bool NipTaken(const QString& nip, int userIndex);

// The tax number as it is kept after leaving its field: upper case, and a
// two-letter country prefix followed by the digits only ("pl 526-000-12-46"
// becomes "PL5260001246"); a number starting with digits keeps its dashes.
QString NipOnExit(const QString& text);
// Red on exit: the digits are neither none nor exactly ten.
bool NipDigitsWrong(const QString& text);

// The four bandwidth texts as one: "down / up (night down / night up)".
QString BandwidthSummary(const QString& down, const QString& up, const QString& downNight,
                         const QString& upNight);
// Writes U_PASMO... numbers from their texts ("k" 1024, "M" 1048576).
void UpdateBandwidthNumbers(TQuery& q);
// Some number lies between 1 and 127999.
bool BandwidthTooLow(const TQuery& q);
// The note "Zmiana pasma z: ..." of an existing subscriber.
void WriteBandwidthNote(int userIndex, const QString& before, const QString& after);

// Latitude and longitude out of a pasted "52.2297, 21.0122" (30 to 45
// characters, decimal commas); false for anything else.
bool ParseClipboardCoordinates(const QString& text, QString* latitude, QString* longitude);

// Asks the operator (text, kind, buttons) and returns the answer; the window
// passes TMD::MessageDlg, tests pass their own.
using TAskOperator = std::function<int(const QString& text, unsigned char kind, unsigned buttons)>;

// The checks at "Zapisz", in order, on the editor's row (its bandwidth
// numbers are updated on the way). The name of the field to focus when the
// save is refused; empty when the row may be saved.
QString CheckSubscriberBeforeSave(TQuery& q, const QString& bandwidthAtShow, const TAskOperator& ask);

// What the row needs before it is posted.
void PrepareSubscriberPost(TQuery& q);
