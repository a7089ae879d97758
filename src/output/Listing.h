#pragma once
// The account listings, free of widgets: the six variants, their columns, the
// amount text, and the chosen account's files as a listing reads them. The
// screen, the text file and the printer all draw their lines from here.
#include "ledger/PostingFile.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace fyn::output {

using ledger::Kind;

enum class Variant { None, Pr_1, Pr_2, Pr_3, Pr_4, Pr_5, Pr_6 };

// "Pr_1".."Pr_6"; empty for none.
QString variantName(Variant v);

// The variant the three check boxes ask for. Check1 counts as ticked when it
// is not 0; Check2 and Check3 are 0 or 1. Check3 without Check2 is no
// variant, and so is a budget variant for a simple account, whose records
// have no budget fields.
Variant chooseVariant(int check1, int check2, int check3, Kind kind);

enum class Column {
    Date,
    Main,         // the main transaction's name
    Sub,          // the subtransaction's name
    Amount,       // Belopp, or VerklBelopp of a budget account
    Balance,      // Saldo, or VerklSaldo
    BudgAmount,   // BudgBelopp
    VerklAmount,  // VerklBelopp
    BudgBalance,  // BudgSaldo
    VerklBalance, // VerklSaldo
    Diff,         // SaldoDiff
};

// The variant's columns, in order (none for no variant).
std::span<const Column> columnsOf(Variant v);
bool isAmountColumn(Column c);
// The index of the column in the variant's lines, or -1.
int columnIndex(Variant v, Column c);

// The text of a stored amount field: its absolute value rounded to two
// decimals with the whole part in groups of three ("1 234 567,80"), and "-"
// in front when the stored text begins with one. Not an amount: "Type
// mismatch".
QString amountText(const QString& field);
// The same from the field's bytes into out (room for 32); returns the length.
int amountText(const char* field, int size, char* out);
// The text as a label that wraps shows it: each blank between two digits (the
// thousands separator of an amount) a no-break space, so that a line is never
// broken inside an amount. Files, printouts and the one-line cells of the
// grids keep the ordinary blanks.
QString screenText(QString text);
// A count of hundredths as "### ### ##0.#0" shows it, without a sign, into out
// (room for 48); returns the length. Digits beyond the pattern's nine go to
// its first group.
int groupedCents(unsigned __int128 cents, char* out);
// A TransRef or SubRef field as a whole number, as a listing reads it. Not a
// number: "Type mismatch".
long referenceField(const char* field);

// One line of a listing: the texts of its columns as Windows-1252 bytes. A
// line being assembled keeps the texts of the line before until each is
// replaced, as the error reports show them.
class LineText {
public:
    static constexpr int kMaxColumns = 8;
    static constexpr int kMaxBytes = 40;
    int size() const { return size_; }
    std::string_view cell(int i) const { return {cells_[i].data(), size_t(lengths_[i])}; }
    QString text(int i) const;
    void setSize(int n) { size_ = n; }
    void set(int i, std::string_view bytes);
    // The room for cell i, to be filled and then closed by setLength.
    char* room(int i) { return cells_[i].data(); }
    void setLength(int i, int n) { lengths_[i] = n; }

private:
    std::array<std::array<char, kMaxBytes>, kMaxColumns> cells_{};
    std::array<int, kMaxColumns> lengths_{};
    int size_ = 0;
};

// The chosen account's postings and names, read once when it is chosen. The
// files are opened read-only and never created: a missing file reads as an
// empty one.
class AccountData {
public:
    // Reads folder's KontoData with the kind's record length, and its
    // Transakt and Kategori. A file that cannot be read, or a posting file too
    // long to be one ("Overflow"): RuntimeError, and nothing is kept.
    void load(const QString& folder, Kind kind);
    // KontoData alone, then the names (each fails on its own).
    void loadPostings(const QString& folder, Kind kind);
    void loadNames(const QString& folder);
    void clear();

    Kind kind() const { return kind_; }
    bool hasPostings() const { return !data_.isEmpty(); }
    // The records the file holds: its length / record length, rounded.
    int recordCount() const { return count_; }
    // The last record with a date (0 when none): the postings end there.
    int lastDated() const;
    // The 10 date bytes of record n (1..recordCount()).
    std::string_view datum(int n) const;
    // The record's bytes.
    const char* record(int n) const;

    // The first record 1..last dated on or after start, or last + 1; the last
    // record from last down dated on or before stop, or 0. Dates compare as
    // text, as "yyyy-mm-dd" orders them.
    int firstOnOrAfter(const QByteArray& start, int last) const;
    int lastOnOrBefore(const QByteArray& stop, int last) const;

    // Assembles the line of record n (1..recordCount()) for the variant. A
    // field that does not read (a reference or an amount that is no number, a
    // reference 0) fails with a RuntimeError naming the record; the cells not
    // reached keep what they held.
    void line(Variant v, int n, LineText& out) const;

    // The fields the statistics read of record n: its TransRef as a whole
    // number ("Type mismatch" when it is none), its SubRef field (4 bytes) and
    // the field of an amount column (11 bytes).
    long transRef(int n) const;
    const char* subRefField(int n) const;
    const char* amountField(int n, Column c) const;

    // The name of main transaction ref (the Transakt record |ref|), trimmed;
    // empty past the end or for a deleted name.
    std::string_view mainName(long ref) const;
    std::string_view subName(long ref) const;
    // The same, sharing the bytes kept.
    QByteArray subNameBytes(long ref) const;
    // The sign ("+", "-" or " ") of Transakt record n; blank past the end.
    QString mainSign(int n) const;
    // The non-blank main transaction names with their record numbers.
    std::vector<std::pair<QString, int>> mainNames() const;

private:
    QString path_;
    Kind kind_ = Kind::Enkel;
    int length_ = 0;
    int count_ = 0;
    QByteArray data_;
    std::vector<QByteArray> trans_; // trimmed TransNamn, record 1 first
    QByteArray signs_;              // Tecken of each
    std::vector<QByteArray> kategori_;
};

} // namespace fyn::output
