// The budgeting help texts: sections of the help file, where the file is
// looked for, and the file the program ships.
#include "budget/HelpText.h"
#include "budget/Placement.h"
#include "core/Codec1252.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextDocumentFragment>

using namespace fyn;
using namespace fyn::budget;
using fyn::test::readFile;
using fyn::test::writeFile;

TEST(HelpText, ASectionRunsToTheNextLineThatBeginsWithTheMark) {
    const QString file = QString::fromUtf8("Inledning\r\n"
                                           "§1\r\n"
                                           "Första raden\r\n"
                                           "   \r\n"
                                           "  indragen\r\n"
                                           "§ ensam\r\n"
                                           " §2 \r\n"
                                           "Andra\r\n"
                                           "§12\r\n"
                                           "Tolv\n"
                                           "sista\r\n");
    EXPECT_EQ(helpSection(file, 1), "Första raden\n\n  indragen\n");
    EXPECT_EQ(helpSection(file, 2), "Andra\n");        // a key line may carry blanks
    EXPECT_EQ(helpSection(file, 12), "Tolv\nsista\n"); // the last section ends at the end
    EXPECT_EQ(helpSection(file, 3), "");
    EXPECT_EQ(helpSection(QString(), 1), "");
}

class HelpFile : public fyn::test::Sandbox {};

TEST_F(HelpFile, TheStartFolderComesFirstThenTheProgramsFolder) {
    const QString start = path("start");
    const QString program = path("program");
    QDir().mkpath(start);
    QDir().mkpath(program);
    EXPECT_EQ(budgInfoPath(start, program), "");
    EXPECT_EQ(readHelpSection(start, program, 1), ""); // no file: an empty panel
    writeFile(program + "/BudgInfoFil.txt", toCp1252(QString::fromUtf8("§1\r\nBeside\r\n")));
    EXPECT_EQ(readHelpSection(start, program, 1), "Beside\n");
    writeFile(start + "/BudgInfoFil.txt", toCp1252(QString::fromUtf8("§1\r\nStart här\r\n")));
    EXPECT_EQ(readHelpSection(start, program, 1), QString::fromUtf8("Start här\n"));
    // A folder of that name is no help file.
    QDir().mkpath(path("other/BudgInfoFil.txt"));
    EXPECT_EQ(budgInfoPath(path("other"), program), program + "/BudgInfoFil.txt");
}

TEST(HelpText, TheShippedFileHasEverySectionInWindows1252WithCrLf) {
    const QByteArray bytes =
        readFile(QStringLiteral(FYN_TEST_SOURCE_DIR) + "/../app/BudgInfoFil.txt");
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n")); // no lone line feed
    EXPECT_FALSE(bytes.contains("\xc3\xa5"));          // no UTF-8 "å"
    EXPECT_TRUE(bytes.contains('\xa7'));               // "§" as one byte
    const QString text = fromCp1252(bytes);
    for (int n = 1; n <= 20; ++n)
        EXPECT_FALSE(helpSection(text, n).trimmed().isEmpty()) << "section " << n;
    EXPECT_EQ(helpSection(text, 21), "");
}

// The help shown beside placed days says what the placement does: Saturdays
// and Sundays move, a red weekday stays where the template puts it.
TEST(HelpText, TheShippedHelpOnPlacedDaysSaysWhatThePlacementDoes) {
    const struct {
        int year, month, day;
    } redWeekdays[] = {{2027, 12, 24}, {2028, 5, 1}, {2028, 6, 6}};
    for (const auto& r : redWeekdays) {
        const QString date = QString("%1-%2-%3")
                                 .arg(r.year)
                                 .arg(r.month, 2, 10, QChar('0'))
                                 .arg(r.day, 2, 10, QChar('0'));
        const RedDays red({{"Helgdag", date}}, 1);
        const QByteArray month = QByteArray::number(r.month).rightJustified(2, '0');
        const QByteArray day = QByteArray::number(r.day).rightJustified(2, '0');
        const Placement p = placeTemplate({{"4", "500", month.constData(), day.constData(), "  "}},
                                          4, r.year, 1, 12, red);
        ASSERT_TRUE(p.rows[size_t(r.month)]) << date.toStdString();
        EXPECT_EQ(p.rows[size_t(r.month)]->day, day) << date.toStdString();
    }
    const QString help = helpSection(
        fromCp1252(readFile(QStringLiteral(FYN_TEST_SOURCE_DIR) + "/../app/BudgInfoFil.txt")), 8);
    EXPECT_FALSE(help.contains(QString::fromUtf8("eller en registrerad röd dag är flyttad")))
        << help.toStdString();
    EXPECT_TRUE(
        help.contains(QString::fromUtf8("En röd dag som infaller på en vardag flyttas inte")))
        << help.toStdString();
    // And that a move never takes one month's payment into another's row.
    EXPECT_TRUE(help.contains(QString::fromUtf8("Varje månad behåller sin egen betalning")))
        << help.toStdString();
}

// The budgeting help page says what the placement does, in the words of the
// help text beside the placed days: a Saturday or a Sunday moves to a weekday
// past the registered red days, and a red weekday stays. No sentence of the
// page has a payment day moved for being a holiday.
TEST(HelpText, TheBudgetingHelpPageSaysWhatThePlacementDoes) {
    // The rule: 2026-08-08 and 09 are a Saturday and a Sunday, the Monday
    // after is red; 2027-12-24 is a red Friday.
    const RedDays red({{"Helgdag", "2026-08-10"}, {"Julafton", "2027-12-24"}}, 2);
    const Slot saturday = moveOffWeekend(2026, {8, 8}, 1, 12, red);
    EXPECT_EQ(saturday.month * 100 + saturday.day, 807); // the Friday before
    const Slot sunday = moveOffWeekend(2026, {8, 9}, 1, 12, red);
    EXPECT_EQ(sunday.month * 100 + sunday.day, 811); // past the red Monday
    const Placement onRed = placeTemplate({{"4", "500", "12", "24", "  "}}, 4, 2027, 1, 12, red);
    ASSERT_TRUE(onRed.rows[12]);
    EXPECT_EQ(onRed.rows[12]->day, "24"); // it stays

    const QString installed = QStringLiteral(FYN_INSTALLED_HELP) + "/60000.html";
    const QByteArray html = readFile(installed);
    ASSERT_FALSE(html.isEmpty()) << installed.toStdString();
    const QString page =
        QTextDocumentFragment::fromHtml(QString::fromUtf8(html)).toPlainText().simplified();
    const auto sentences = [](const QString& text) {
        return text.simplified().split(QRegularExpression(QStringLiteral("(?<=[.!?])\\s+")),
                                       Qt::SkipEmptyParts);
    };

    // The help text's own sentences on the two cases are on the page.
    const QString help = helpSection(
        fromCp1252(readFile(QStringLiteral(FYN_TEST_SOURCE_DIR) + "/../app/BudgInfoFil.txt")), 8);
    QStringList rule;
    for (const QString& s : sentences(help))
        if (s.contains(QString::fromUtf8("lördag eller söndag")) ||
            s.contains(QString::fromUtf8("röd dag som infaller på en vardag")))
            rule << s;
    ASSERT_EQ(rule.size(), 2) << help.toStdString();
    for (const QString& s : rule)
        EXPECT_TRUE(page.contains(s)) << s.toStdString() << "\nnot on the page:\n"
                                      << page.toStdString();

    // A move and a holiday in one sentence only to say that it is not moved,
    // or moved past the holidays.
    for (const QString& s : sentences(page)) {
        const QString l = s.toLower();
        const bool holiday = l.contains(QString::fromUtf8("helgdag")) ||
                             l.contains(QString::fromUtf8("röd dag")) ||
                             l.contains(QString::fromUtf8("röda dag"));
        if (l.contains(QStringLiteral("flytta")) && holiday) {
            EXPECT_TRUE(l.contains(QStringLiteral("inte")) ||
                        l.contains(QString::fromUtf8("förbi")))
                << s.toStdString();
        }
    }
}
