#include "output/Statistics.h"

#include "core/Amount.h"
#include "core/Codec1252.h"
#include "core/Errors.h"

#include <cstring>

namespace fyn::output {

namespace {

constexpr int kRowsPerPage = 68;

bool blank(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ')
            return false;
    return true;
}

unsigned __int128 magnitude(__int128 v) {
    return v < 0 ? (unsigned __int128)(-(v + 1)) + 1 : (unsigned __int128)v;
}

// Hundredths rounded half away from zero, with "-" when negative.
QString signedText(bool negative, unsigned __int128 cents) {
    char out[64];
    int n = 0;
    if (negative)
        out[n++] = '-';
    n += groupedCents(cents, out + n);
    return QString::fromLatin1(out, n);
}

std::string_view view(const QByteArray& b) {
    return {b.constData(), size_t(b.size())};
}

} // namespace

Statistics gatherStatistics(const AccountData& data, int transNr, int first, int last,
                            StatProgress& progress) {
    Statistics s;
    progress.record = 0;
    int matches = 0;
    for (int n = first; n <= last; ++n) {
        progress.record = n;
        const long ref = data.transRef(n);
        if ((ref < 0 ? -ref : ref) == transNr)
            ++matches;
    }
    s.rows.reserve(size_t(matches));
    for (int n = first; n <= last; ++n) {
        progress.record = n;
        const long ref = data.transRef(n);
        if ((ref < 0 ? -ref : ref) != transNr)
            continue;
        StatRow row;
        inRecord(QStringLiteral("KontoData"), n, [&] {
            std::memcpy(row.date.data(), data.datum(n).data(), row.date.size());
            const char* subRef = data.subRefField(n);
            if (!blank(subRef, 4))
                row.sub = data.subNameBytes(referenceField(subRef));
            const char* field = data.amountField(n, Column::Amount);
            row.amountLength = amountText(field, 11, row.amountBytes.data());
            const Amount a = Amount::parseField(field, 11);
            row.cents = (a.abs().raw() + 50) / 100;
            s.total += a.raw();
        });
        s.rows.push_back(std::move(row));
    }
    return s;
}

QString statSummary(int count, __int128 total) {
    const bool negative = total < 0;
    const unsigned __int128 t = magnitude(total);
    const unsigned __int128 n = unsigned(count > 0 ? count : 1);
    // Ten-thousandths to hundredths, and the mean straight from the exact
    // total, so that neither drifts however many postings are summed.
    const unsigned __int128 totalCents = (t + 50) / 100;
    const unsigned __int128 meanCents = (t + 50 * n) / (100 * n);
    return QStringLiteral("Antal = ") + QString::number(count) + QStringLiteral(", Totalbel. = ") +
           signedText(negative, totalCents) + QStringLiteral(", Medel = ") +
           signedText(negative, meanCents);
}

QByteArray statTextLine2(const QString& transNamn) {
    return toCp1252(QStringLiteral("Statistik, transaktionen '") + transNamn +
                    QStringLiteral("' "));
}

void writeStatisticsText(QByteArray& out, const Statistics& s, const QString& kontoNamn,
                         const QString& dagensDatum, const QString& transNamn,
                         const QString& summary, TextProgress& progress) {
    const QByteArray line1 =
        toCp1252(QStringLiteral("Konto: '") + kontoNamn + QStringLiteral("', datum: ") +
                 dagensDatum + QStringLiteral(", Sida "));
    const QByteArray line2 = statTextLine2(transNamn);
    const QByteArray line3 = toCp1252(summary);
    ColumnWriter w(out);
    auto header = [&](int page) {
        const QByteArray first = line1 + QByteArray::number(page);
        for (const QByteArray* l : {&first, &line2, &line3}) {
            w.place(1, view(*l));
            w.endLine();
        }
        w.endLine();
        w.place(1, "Datum");
        w.place(12, "Subtransaktion");
        w.right(45, "Belopp");
        w.endLine();
    };
    const int last = s.count();
    out.reserve(out.size() + qsizetype(last) * 48 + 256);
    progress.record = 0;
    progress.page = 1;
    progress.line.setSize(3);
    header(progress.page);
    for (int top = 1;; top += kRowsPerPage) {
        for (int r = top; r < top + kRowsPerPage; ++r) {
            if (r > last)
                return;
            progress.record = r;
            const StatRow& row = s.rows[size_t(r - 1)];
            progress.line.set(0, row.dateText());
            progress.line.set(1, row.subText());
            progress.line.set(2, row.amount());
            w.place(1, row.dateText());
            w.place(12, row.subText());
            w.right(45, row.amount());
        }
        if (top + kRowsPerPage > last)
            return;
        w.endLine();
        w.endLine();
        header(++progress.page);
    }
}

} // namespace fyn::output
