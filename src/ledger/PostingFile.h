#pragma once
// An account's posting file (KontoData), read once when the account opens and
// kept in memory; writes go to the file as one commit and then to memory.
#include "core/RecordFile.h"
#include "core/Records.h"
#include "core/SafeWrite.h"

#include <QByteArray>
#include <QString>

namespace fyn::ledger {

enum class Kind { Enkel, Budget };

constexpr int recordLength(Kind k) {
    return k == Kind::Budget ? BudgetKontoPost::Length : EnkelKontoPost::Length;
}

class PostingFile {
public:
    // The longest posting file. The data files' lengths and record positions are
    // 32-bit signed numbers (some 50 million simple postings); a longer file is
    // no posting file, and reading it whole would cost seconds and gigabytes.
    static constexpr qint64 kMaxBytes = 0x7FFFFFFF;

    // Opens (creating it empty when missing) and reads the whole file. A file
    // longer than kMaxBytes fails with "Overflow" naming it, before any reading.
    void open(const QString& path, Kind kind);
    void close();
    bool isOpen() const { return open_; }
    Kind kind() const { return kind_; }
    const QString& path() const { return path_; }

    // Length / record length rounded half to even, as the file counts.
    long recordCount() const { return count_; }
    // The number of the last record whose date is not blank (0 when none).
    long lastDated() const;

    // Record n (1-based) as stored; blanks past the end.
    QByteArray raw(long n) const;
    // Record n in memory, or nullptr when it is not wholly there.
    const char* record(long n) const;
    // Records first..last as stored, in one piece; blanks past the end.
    QByteArray rawRange(long first, long last) const;
    // The same without a copy when memory holds them all; otherwise copied
    // into held.
    const char* records(long first, long last, QByteArray& held) const;
    // The file's bytes as held in memory.
    const QByteArray& bytes() const { return data_; }
    QString datum(long n) const;
    // The 10 date bytes of record n, in place (blanks past the end). Inline:
    // searches and order checks call it for every record they pass.
    const char* dateAt(long n) const {
        static constexpr char blank[10] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
        const qint64 at = qint64(n - 1) * recordLength(kind_);
        if (n < 1 || at + 10 > data_.size())
            return blank;
        return data_.constData() + at;
    }
    EnkelKontoPost enkel(long n) const { return decodeRecord<EnkelKontoPost>(raw(n)); }
    BudgetKontoPost budget(long n) const { return decodeRecord<BudgetKontoPost>(raw(n)); }

    // Whether records 1..n are known to be in date order (as their date bytes).
    bool inDateOrder(long n) const { return n <= sortedTo_; }
    // The last record from `from` down to 1 dated on or before date; 0 when none.
    long lastOnOrBefore(const QString& date, long from) const;

    // Writes records as one commit; memory follows only when it succeeded.
    class Edit {
    public:
        explicit Edit(PostingFile& file) : file_(file) {}
        void put(long n, const QByteArray& record);
        template <class R> void put(long n, const R& r) { put(n, encodeRecord(r)); }
        // Records first, first + 1, ... from consecutive record bytes.
        void putRange(long first, const QByteArray& records);
        // Other files' writes that belong to the same commit.
        WriteBatch& batch() { return batch_; }
        void commit();

    private:
        PostingFile& file_;
        WriteBatch batch_;
        std::vector<std::pair<long, QByteArray>> records_; // first record, bytes
    };

private:
    // No descriptor is kept: a large edit may put a new file in the old one's
    // place, and a kept descriptor would hold the old one's blocks.
    QString path_;
    bool open_ = false;
    Kind kind_ = Kind::Enkel;
    // Records 1..sortedTo_ are known to be in date order: the search for a
    // date can halve its way there instead of walking.
    void learnOrder(long first, long last);
    QByteArray data_;
    long count_ = 0;
    long sortedTo_ = 0;
};

} // namespace fyn::ledger
