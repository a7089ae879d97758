#pragma once
// The text file of a listing: fixed columns for a fixed-pitch font, pages with
// a header block, Windows-1252 with CR LF, and its safe writing to the file
// the user named.
#include "output/Listing.h"

#include <QByteArray>
#include <QString>
#include <string_view>

namespace fyn::output {

// Places texts at columns (counted from 1) of the open line. A text placed at
// a column the line has already passed goes to a new line at that column, so
// that nothing is cut or overwritten.
class ColumnWriter {
public:
    explicit ColumnWriter(QByteArray& out) : out_(out) {}
    void place(int column, std::string_view text);
    // Right-aligned: the text's last character in column edge - 1.
    void right(int edge, std::string_view text) { place(edge - int(text.size()), text); }
    void endLine();
    int column() const { return col_; }

private:
    QByteArray& out_;
    int col_ = 1;
};

// Where the variant's columns stand in the file: a text column's start, an
// amount column's right edge.
struct TextColumn {
    Column column;
    int at;
    const char* heading;
};
struct TextLayout {
    int rowsPerPage = 0;
    std::span<const TextColumn> columns;
};
TextLayout textLayout(Variant v);

// "Utskrift av <account> <today>              Sida ", which the page number ends.
QByteArray pageHeaderPrefix(const QString& kontoNamn, const QString& dagensDatum);

// Where a listing stands while it is written, for the error reports.
struct TextProgress {
    int record = 0; // the record being written (0 before the first)
    int page = 0;
    LineText line; // the texts of the row being written
};

// Writes the pages of records first..last (none when first > last) of the
// variant, as the text file holds them, onto out. A record that does not read
// stops it with a RuntimeError; out then holds the pages up to that row.
void writeTextListing(QByteArray& out, const AccountData& data, Variant v, int first, int last,
                      const QByteArray& headerPrefix, TextProgress& progress);

// Replaces the file at path with bytes, or creates it. The bytes are written
// beside it under a temporary name, synced and then renamed over it, so that a
// failure (no permission, a full disk) leaves no half-written file under that
// name and an existing one as it was. Fails with a RuntimeError with the
// system's text.
void saveTextFile(const QString& path, const QByteArray& bytes);

} // namespace fyn::output
