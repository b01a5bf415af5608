#pragma once
// The sales register printouts without their windows: the rows of a period,
// the folio sums carried page to page in one pass, and pages laid out only
// when they are drawn, so that a year's register (thousands of pages) keeps
// no page's drawing items.
#include "core/Amount4.h"

#include <QDate>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class TReportDocument;

enum class TRegisterKind
{
    Invoices,   // vFvLista, "EWIDENCJA (REJESTR) SPRZEDAŻY"
    Corrections // vFvkLista, "EWIDENCJA (REJESTR) KOREKT"
};

struct TRegisterRequest
{
    TRegisterKind Kind = TRegisterKind::Invoices;
    int PodmiotIndex = 0; // <= 0: every company
    QDate DateFrom, DateTo;
    QString UserIdFilter; // the main grid's " in (...)" list or empty
    QString Comment;      // already expanded
    bool DateAsMonth = false;
};

constexpr int kRegisterRowsPerPage = 40;
constexpr int kRegisterSumColumns = 12;
using TRegisterSums = std::array<Amount4, kRegisterSumColumns>;

// The three footer rows of a page.
struct TFolio
{
    TRegisterSums Page{};    // "SUMA FOLIO"
    TRegisterSums Carried{}; // "PRZENIESIENIE Z FOLIO"
    TRegisterSums Total{};   // "RAZEM"
};

// True when the period (of the company, of the listed subscribers) has no document.
bool RegisterIsEmpty(const TRegisterRequest& request);

// The register of one request: the company is made current, the rows read
// with one statement and the folio sums added up in one pass.
class TRegisterData
{
public:
    explicit TRegisterData(const TRegisterRequest& request);
    ~TRegisterData();
    TRegisterData(const TRegisterData&) = delete;
    TRegisterData& operator=(const TRegisterData&) = delete;

    int RowCount() const;
    int PageCount() const;        // at least 1
    TFolio Folio(int page) const; // 0-based
    // The document whose pages are laid out from this data on demand.
    static std::shared_ptr<TReportDocument> Document(std::shared_ptr<TRegisterData> data,
                                                     const QString& title);

private:
    struct TImpl;
    std::unique_ptr<TImpl> m;
};

// "mmm yyyy" with the Polish short month names ("mar 2025").
QString RegisterMonthText(const QDate& date);
