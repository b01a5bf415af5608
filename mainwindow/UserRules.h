#pragma once
// What the subscriber card decides without a window: its SQL, the texts of
// its derived labels, the map links, the subscriber's file folder, the TERYT
// match removal, the empty-note clean-up, its stored layout and the e-mail of
// a printout.
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

// "select * from vUserdb where U_INDEX=" + the index.
QString UserCardSql(int userIndex);

// "Naliczanie należności" after U_AUTOMATYCZNEFAKTURY.
QString AutoInvoicingText(int automatyczneFaktury);
// "Wydruk dokumentów sprzedaży": U_RODZAJWYDRUKUFV, or the global
// RodzajWydrukuPrzelewu when that is 0.
QString SalesPrintText(int rodzajWydrukuFv, int globalRodzajWydruku);
QString YesNoText(int flag); // "TAK" for 1, else "NIE"
QString AuthorizationCaption(int czyPominNadrukIbok);
// The company label: "FIRMA" or "OSOBA FIZYCZNA".
QString CompanyKindText(int czyFirma);

// The public map service every map link opens.
extern const QString MapServiceBase; // "https://www.google.com"
// Base + "/maps?q=" + the text with blanks as "+"; empty for a blank text.
QString AddressMapUrl(const QString& addressText);
// Base + "/maps/place/" + lat + "N+" + lon + "E/@" + lat + "," + lon, decimal commas as points.
QString CoordinatesMapUrl(const QString& latitude, const QString& longitude);

// The operator's KatalogNaPliki (default ArchiveFolder) + "U" + index + "/".
QString UserFilesFolder(int userIndex);
// Creates the folder when missing (raises EInOutError when it cannot) and
// copies every file into it under its own name, overwriting; returns the
// number of files copied.
int CopyFilesToFolder(const QStringList& files, const QString& folder);

// Removes the subscriber's TERYT match (NULL into the three columns); no log line.
void ClearUserTeryt(int userIndex);
// Deletes the subscriber's notes whose text is blank.
void DeleteEmptyUserNotes(int userIndex);
int CountUserNotes(int userIndex);
QString NotesTabCaption(int count); // " Notatki (n) "
// Caption of the main window's order-list button from the open orders.
QString OrdersListCaption();
// Detailed log text of opening the card.
QString UserCardLogText(int userIndex);
// Shown longer than 7 seconds (start and end as day fractions).
bool UserCardShownLong(double startDays, double endDays);

// The card's stored layout (workstation and operator store).
struct TUserCardLayout
{
    int WindowHeight = 0;
    int SortOrder = 1;
    int SortColumn = 0;
    QString SortField = QStringLiteral("M_IP");
    int DevicePanelHeight = 0;
    int TemplatePanelHeight = 0;
};
// Reads the stored values; Defaults fills what is missing.
TUserCardLayout ReadUserCardLayout(const TUserCardLayout& defaults);
// Writes all values in one transaction of the global session; an error rolls back and is raised.
// A maximised window keeps its stored height (WindowHeight <= 0 skips it).
void WriteUserCardLayout(const TUserCardLayout& layout);

// The e-mail of a printout: the subscriber's address must not be empty; the
// printout is printed on the PDF printer (PrintToPdf gets the printer name
// and must leave ExportFolder + FileName), the file is waited for and sent
// as the one attachment. Messages as the card shows them. Returns true when sent.
struct TPrintoutMail
{
    int UserIndex = 0;
    QString Email;
    QString FileName; // "NALEZNOSCI_123.pdf"
    QString Subject;
};
using TPrintToPdf = std::function<void(const QString& pdfPrinterName)>;
using TMailSender = std::function<int(const QString& recipient, const QString& attachment,
                                      const QString& subject, int userIndex)>;
bool EmailPrintout(const TPrintoutMail& mail, const TPrintToPdf& printToPdf, const TMailSender& send = {});

// A title click on the card's device grid: only "M_DATAPODLACZENIA", "M_MAC"
// and "M_IP" sort (false: ignored). Clicking the sorted field cycles
// ascending, descending, none; another field sorts ascending by it; "M_IP"
// sorts by its four octets. Changes order, column and fields in place.
bool CardDeviceSortClick(const QString& field, int column, std::array<QString, 5>& fields, int& order,
                         int& sortColumn);
