#pragma once
// The statistics of one main transaction over a period, free of widgets: the
// postings that carry it, with their date, subtransaction and amount; their
// count, exact total and mean; and the text file of the result.
#include "output/Listing.h"
#include "output/TextListing.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace fyn::output {

// One posting of the transaction, its texts as Windows-1252 bytes.
struct StatRow {
    std::array<char, 10> date{};
    QByteArray sub; // the trimmed subtransaction name, empty for none
    std::array<char, 32> amountBytes{};
    int amountLength = 0;
    std::int64_t cents = 0; // the amount text's absolute value, in hundredths

    std::string_view dateText() const { return {date.data(), date.size()}; }
    std::string_view subText() const { return {sub.constData(), size_t(sub.size())}; }
    std::string_view amount() const { return {amountBytes.data(), size_t(amountLength)}; }
};

struct Statistics {
    std::vector<StatRow> rows;
    // The signed sum of the stored amounts in ten-thousandths, exact however
    // many postings there are.
    __int128 total = 0;
    int count() const { return int(rows.size()); }
};

// Where a gathering stands, for the error reports.
struct StatProgress {
    int record = 0;
};

// The postings of records first..last whose TransRef, without its sign, is
// transNr, in record order; the amount is VerklBelopp of a budget account and
// Belopp of a simple one, whatever the posting's status. A field that does not
// read stops it with a RuntimeError naming the record.
Statistics gatherStatistics(const AccountData& data, int transNr, int first, int last,
                            StatProgress& progress);

// "Antal = n, Totalbel. = <total>, Medel = <mean>": both rounded to two
// decimals, half away from zero, and given "-" when the total is negative.
QString statSummary(int count, __int128 total);

// "Statistik, transaktionen '<name>' " as the text file heads it.
QByteArray statTextLine2(const QString& transNamn);

// Writes the statistics file, 68 rows a page under a five-line header.
void writeStatisticsText(QByteArray& out, const Statistics& s, const QString& kontoNamn,
                         const QString& dagensDatum, const QString& transNamn,
                         const QString& summary, TextProgress& progress);

} // namespace fyn::output
