#include "core/DataFileLimits.h"

#include "core/Records.h"
#include "core/SafeWrite.h"

#include <QStringList>

namespace fyn {

namespace {

// A record reference is four characters wide ("9999" at most): the register,
// the names and the template have no more records than that can reach.
constexpr qint64 kMaxRef = 9999;
// The settings and the window positions are a few short lines.
constexpr qint64 kSmallFile = 4096;

FileLimit records(int length, qint64 count) {
    return {true, length, 0, length * count};
}

} // namespace

bool FileLimit::wholeRecords(qint64 size) const {
    if (recordLength == 0)
        return true;
    return size % recordLength == 0 || (otherRecordLength > 0 && size % otherRecordLength == 0);
}

FileLimit fileLimit(const QString& relative) {
    const QStringList parts = relative.split(QLatin1Char('/'));
    for (const QString& part : parts)
        if (part.isEmpty() || part.startsWith(QLatin1Char('.')))
            return {};
    const QString& name = parts.last();
    if (parts.size() == 1) {
        if (name == QLatin1String("KontoFil"))
            return records(KontoFilPost::Length, kMaxRef);
        if (name == QLatin1String("KontoIni"))
            return {true, 0, 0, kSmallFile};
        if (name == QLatin1String("PosFil"))
            return records(PosFilPost::Length, kSmallFile / PosFilPost::Length);
        if (name == QLatin1String("RedDayFil"))
            return records(RedDayPost::Length, kMaxRedDays);
    } else if (parts.size() == 2) {
        if (name == QLatin1String("KontoData"))
            return {true, EnkelKontoPost::Length, BudgetKontoPost::Length, kMaxFileBytes};
        if (name == QLatin1String("Transakt"))
            return records(TransPost::Length, kMaxRef);
        if (name == QLatin1String("Kategori"))
            return records(KategoriPost::Length, kMaxRef);
        if (name == QLatin1String("B-mall")) // a record for each transaction and month
            return records(BudgMallPost::Length, kMaxRef * 12);
    }
    return {true, 0, 0, kMaxFileBytes};
}

} // namespace fyn
