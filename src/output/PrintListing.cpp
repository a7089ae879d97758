#include "output/PrintListing.h"

#include "core/Codec1252.h"

#include <array>

namespace fyn::output {

namespace {

using C = Column;
using platform::Orientation;

const QString kArial = QStringLiteral("Arial");

constexpr PrintColumn kPr1[] = {{C::Date, 850, "Datum", 850},
                                {C::Main, 2000, "Huvudtransaktion", 2000},
                                {C::Amount, 5100, "Belopp", 4335},
                                {C::Balance, 6500, "Saldo", 5900}};
constexpr PrintColumn kPr2[] = {{C::Date, 850, "Datum", 850},
                                {C::Main, 2000, "Huvudtransaktion", 2000},
                                {C::Sub, 5100, "Subtransaktion", 5100},
                                {C::Amount, 8300, "Belopp", 7535},
                                {C::Balance, 9700, "Saldo", 9100}};
constexpr PrintColumn kPr3[] = {{C::Date, 850, "Datum", 850},
                                {C::Main, 2000, "Huvudtransaktion", 2000},
                                {C::BudgAmount, 5200, "Budg.belopp", 3835},
                                {C::VerklAmount, 6600, "Verkl.belopp", 5265},
                                {C::BudgBalance, 9000, "Budg.saldo", 7800},
                                {C::VerklBalance, 10400, "Verkl.saldo", 9230}};
constexpr PrintColumn kPr4[] = {{C::Date, 850, "Datum", 850},
                                {C::Main, 2000, "Huvudtransaktion", 2000},
                                {C::BudgAmount, 5200, "Budg.belopp", 3835},
                                {C::VerklAmount, 6600, "Verkl.belopp", 5265},
                                {C::BudgBalance, 9000, "Budg.saldo", 7800},
                                {C::VerklBalance, 10400, "Verkl.saldo", 9230},
                                {C::Diff, 11800, "Saldodiff.", 10795}};
constexpr PrintColumn kPr5[] = {{C::Date, 850, "Datum", 850},
                                {C::Main, 2000, "Huvudtransaktion", 2000},
                                {C::Sub, 5100, "Subtransaktion", 5100},
                                {C::BudgAmount, 9000, "Budg.belopp", 7635},
                                {C::VerklAmount, 10400, "Verkl.belopp", 9065},
                                {C::BudgBalance, 11800, "Budg.saldo", 10600},
                                {C::VerklBalance, 13200, "Verkl.saldo", 12030},
                                {C::Diff, 14600, "Saldodiff.", 13595}};
constexpr PrintColumn kPr6[] = {{C::Date, 850, "Datum", 850},
                                {C::Main, 2000, "Huvudtransaktion", 2000},
                                {C::Sub, 5100, "Subtransaktion", 5100},
                                {C::BudgAmount, 9550, "Budg.belopp", 8185},
                                {C::VerklAmount, 10950, "Verkl.belopp", 9615},
                                {C::BudgBalance, 12350, "Budg.saldo", 11150},
                                {C::VerklBalance, 13750, "Verkl.saldo", 12580}};
constexpr PrintColumn kPr7[] = {{C::Date, 850, "Datum", 850},
                                {C::Sub, 2000, "Subtransaktion", 2000},
                                {C::Amount, 5100, "Belopp", 4335}};

constexpr int kStatRowsPerPage = 61;
constexpr int kStatFirstRowY = 1830;

// The header font, the texts of the header block and the headings, then the
// body font.
void pageHeader(platform::PrintJob& job, std::initializer_list<std::pair<int, QString>> lines,
                int headingsY, std::span<const PrintColumn> columns) {
    job.setFont(kArial, 11, true);
    for (const auto& [y, text] : lines)
        job.text(850, y, text);
    for (const PrintColumn& c : columns)
        job.text(c.headingX, headingsY, QString::fromLatin1(c.heading));
    job.setFont(kArial, 10, false);
}

// One row: every amount measured first, then the texts from left to right,
// each amount ending at its right edge. An empty text prints nothing.
void printRow(platform::PrintJob& job, std::span<const PrintColumn> columns, const LineText& line,
              int y) {
    std::array<double, LineText::kMaxColumns> widths{};
    std::array<QString, LineText::kMaxColumns> texts;
    for (size_t i = 0; i < columns.size(); ++i) {
        texts[i] = line.text(int(i));
        if (isAmountColumn(columns[i].column))
            widths[i] = job.textWidth(texts[i]);
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        if (texts[i].isEmpty())
            continue;
        const bool amount = isAmountColumn(columns[i].column);
        job.text(amount ? columns[i].x - widths[i] : columns[i].x, y, texts[i]);
    }
}

} // namespace

PrintLayout printLayout(Variant v) {
    const PrintLayout portrait{Orientation::Portrait, 11000, 16000, 63, 1350, {}};
    const PrintLayout landscape{Orientation::Landscape, 16000, 11000, 42, 1350, {}};
    PrintLayout l;
    switch (v) {
    case Variant::Pr_1:
        l = portrait;
        l.columns = kPr1;
        break;
    case Variant::Pr_2:
        l = portrait;
        l.columns = kPr2;
        break;
    case Variant::Pr_3:
        l = portrait;
        l.columns = kPr3;
        break;
    case Variant::Pr_4:
        l = landscape;
        l.columns = kPr4;
        break;
    case Variant::Pr_5:
        l = landscape;
        l.columns = kPr5;
        break;
    case Variant::Pr_6:
        l = landscape;
        l.columns = kPr6;
        break;
    case Variant::None:
        break;
    }
    return l;
}

QString printHeaderPrefix(const QString& kontoNamn, const QString& dagensDatum) {
    return QStringLiteral("Utskrift av ") + kontoNamn + QStringLiteral(", datum: ") + dagensDatum +
           QStringLiteral("   Sida ");
}

void printListing(platform::PrintJob& job, const AccountData& data, Variant v, int first, int last,
                  const QString& headerPrefix, PrintProgress& progress) {
    const PrintLayout layout = printLayout(v);
    if (layout.columns.empty())
        return;
    job.setOrientation(layout.orientation);
    job.setLogicalPage(layout.width, layout.height);
    progress.record = 0;
    progress.page = 1;
    auto header = [&] {
        pageHeader(job, {{400, headerPrefix + QString::number(progress.page)}}, 900,
                   layout.columns);
    };
    header();
    for (int top = first;; top += layout.rowsPerPage) {
        int y = layout.firstRowY;
        for (int r = top; r < top + layout.rowsPerPage; ++r, y += kPrintLineHeight) {
            if (r > last)
                return;
            progress.record = r;
            data.line(v, r, progress.line);
            printRow(job, layout.columns, progress.line, y);
        }
        // A full last page is followed by nothing.
        if (top + layout.rowsPerPage > last)
            return;
        job.newPage();
        ++progress.page;
        header();
    }
}

void printStatistics(platform::PrintJob& job, const Statistics& s, const QString& kontoNamn,
                     const QString& dagensDatum, const QString& transNamn, const QString& summary,
                     PrintProgress& progress) {
    job.setOrientation(Orientation::Portrait);
    job.setLogicalPage(11000, 16000);
    const QString line1 = QStringLiteral("Konto: '") + kontoNamn + QStringLiteral("', datum: ") +
                          dagensDatum + QStringLiteral(", Sida: ");
    const QString line2 =
        QStringLiteral("Statistik, transaktionen: '") + transNamn + QStringLiteral("' ");
    progress.record = 0;
    progress.page = 1;
    progress.line.setSize(3);
    auto header = [&] {
        pageHeader(job,
                   {{400, line1 + QString::number(progress.page)}, {630, line2}, {860, summary}},
                   1360, kPr7);
    };
    header();
    const int last = s.count();
    for (int top = 1;; top += kStatRowsPerPage) {
        int y = kStatFirstRowY;
        for (int r = top; r < top + kStatRowsPerPage; ++r, y += kPrintLineHeight) {
            if (r > last)
                return;
            progress.record = r;
            const StatRow& row = s.rows[size_t(r - 1)];
            progress.line.set(0, row.dateText());
            progress.line.set(1, row.subText());
            progress.line.set(2, row.amount());
            printRow(job, kPr7, progress.line, y);
        }
        if (top + kStatRowsPerPage > last)
            return;
        job.newPage();
        ++progress.page;
        header();
    }
}

} // namespace fyn::output
