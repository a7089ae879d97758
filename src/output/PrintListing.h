#pragma once
// The printed listings, free of widgets: where every heading, text and amount
// of the six variants and of the statistics stands on the logical page, the
// page frame with its header and page breaks, all drawn through the
// printer's document.
#include "output/Listing.h"
#include "output/Statistics.h"
#include "platform/Printer.h"

#include <QString>
#include <span>

namespace fyn::output {

// A column on paper: a text column's X (its heading's too), or an amount
// column's right edge with its heading's X.
struct PrintColumn {
    Column column;
    int x;
    const char* heading;
    int headingX;
};

struct PrintLayout {
    platform::Orientation orientation = platform::Orientation::Portrait;
    int width = 11000; // the logical page
    int height = 16000;
    int rowsPerPage = 0;
    int firstRowY = 1350;
    std::span<const PrintColumn> columns;
};
PrintLayout printLayout(Variant v);

inline constexpr int kPrintLineHeight = 230;

// "Utskrift av <account>, datum: <today>   Sida ", which the page number ends.
QString printHeaderPrefix(const QString& kontoNamn, const QString& dagensDatum);

// Where a printout stands, for the error reports.
struct PrintProgress {
    int record = 0; // the record (or statistics row) being printed, 0 before the first
    int page = 0;
    LineText line; // the texts of the row being printed
};

// Prints records first..last (none when first > last) of the variant on the
// document, from its orientation and logical page to the last row; the caller
// ends the document. A record that does not read stops it with a RuntimeError.
void printListing(platform::PrintJob& job, const AccountData& data, Variant v, int first, int last,
                  const QString& headerPrefix, PrintProgress& progress);

// The statistics on portrait pages of 61 rows under a three-line header.
void printStatistics(platform::PrintJob& job, const Statistics& s, const QString& kontoNamn,
                     const QString& dagensDatum, const QString& transNamn, const QString& summary,
                     PrintProgress& progress);

} // namespace fyn::output
