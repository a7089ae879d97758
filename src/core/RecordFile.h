#pragma once
// A file of fixed-length records, read and written by record number from 1.
#include "core/Records.h"
#include "core/SafeWrite.h"

#include <QByteArray>
#include <QString>

namespace fyn {

class RecordFile {
public:
    RecordFile() = default;
    enum class Missing { Create, Fail };
    // Opens the file, creating it empty when it is missing (or failing with
    // "File not found" when told so).
    RecordFile(const QString& path, int recordLength, Missing missing = Missing::Create);
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile();

    bool isOpen() const { return fd_ >= 0; }
    const QString& path() const { return path_; }
    int recordLength() const { return length_; }
    void close();

    // Every read goes through sizeInBytes() or readInto(): while a change
    // that touches the file waits to be finished, it is finished first, or
    // the read is refused (settleBeforeReading), however long the file has
    // been held open.
    qint64 sizeInBytes() const;
    // Length / record length, rounded half to even.
    long count() const;
    // The same for an error report, which reads nothing and never fails:
    // 0 for a file that is not open or cannot be looked at.
    long countForReport() const noexcept;

    // Record n; bytes past the end read as blanks. n below 1: "Bad record number".
    QByteArray readRaw(long n) const;
    // Records first..last (inclusive) in one read, blanks past the end.
    QByteArray readRange(long first, long last) const;
    // Up to size bytes from offset into dst; returns how many there were.
    qint64 readInto(char* dst, qint64 offset, qint64 size) const;
    template <class R> R get(long n) const { return decodeRecord<R>(readRaw(n)); }

    // Adds record n to the batch (a put past the end extends the file).
    void put(WriteBatch& batch, long n, const QByteArray& record) const;
    template <class R> void put(WriteBatch& batch, long n, const R& r) const {
        put(batch, n, encodeRecord(r));
    }
    // Adds records first, first + 1, ... from whole records in one piece.
    void putRange(WriteBatch& batch, long first, const QByteArray& records) const;
    // One record as its own commit.
    template <class R> void put(long n, const R& r) const {
        WriteBatch batch;
        put(batch, n, r);
        batch.commit();
    }

private:
    QString path_;
    int length_ = 0;
    int fd_ = -1;
};

template <class R> RecordFile openRecordFile(const QString& path) {
    return RecordFile(path, R::Length);
}

// Opens a file that must be there already; nothing is created.
template <class R> RecordFile openExistingRecordFile(const QString& path) {
    return RecordFile(path, R::Length, RecordFile::Missing::Fail);
}

// The whole of a file, for copying it.
QByteArray readWholeFile(const QString& path);

} // namespace fyn
