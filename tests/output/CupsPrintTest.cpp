// A printout to a printer goes to the print system as a job, and is confirmed
// only once the print system has queued it: tried against a CUPS of the
// test's own with a cups-pdf queue (tests/support/private-cups.sh). Skipped,
// with the reason, where that CUPS cannot start.
#include "output/OutputDriver.h"
#include "platform/Printer.h"
#include "support/PrivateCups.h"

#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

using namespace fyn;
using fyn::test::OutputTest;

class CupsPrint : public OutputTest {
protected:
    void SetUp() override {
        OutputTest::SetUp();
        cups = std::make_unique<test::PrivateCups>(QStringList{"PDF", "Borta"});
        if (!cups->running())
            GTEST_SKIP() << cups->reason().toStdString();
        // The documents on their way to the print system, where this test sees them.
        oldTemp = qgetenv("TMPDIR");
        QDir().mkpath(path("tmp"));
        qputenv("TMPDIR", QFile::encodeName(path("tmp")));
    }
    void TearDown() override {
        OutputTest::TearDown();
        cups.reset();
        if (oldTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTemp);
    }
    // The real printer, its box answered as a user who picks the queue; then,
    // when gone is set, the queue is taken away before the job reaches it.
    void useQueue(const QString& queue, bool gone = false) {
        platform::setPrinters(platform::makeQtPrinters([=, this](QPrinter& p, QWidget*) {
            p.setPrinterName(queue);
            EXPECT_EQ(p.printerName(), queue);
            EXPECT_EQ(p.outputFormat(), QPrinter::NativeFormat);
            if (gone) {
                EXPECT_TRUE(cups->command("lpadmin", {"-x", queue}));
            }
            return true;
        }));
    }
    void printNow(UtskrStatForm& d) {
        tick(d.Option3);
        press(d.Command1);
    }
    // The pages of a PDF the queue wrote, where pdfinfo is there to count them.
    int pagesOf(const QString& file) const {
        QProcess p;
        p.start("pdfinfo", {QDir(cups->outFolder()).filePath(file)});
        p.waitForFinished(60000);
        for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
            if (line.startsWith("Pages:"))
                return line.mid(6).trimmed().toInt();
        return 0;
    }
    std::unique_ptr<test::PrivateCups> cups;
    QByteArray oldTemp;
};

TEST_F(CupsPrint, AListingTheQueueTakesIsConfirmedAndComesOutOfIt) {
    test::FixtureAccount a = test::budgetBud();
    a.postings = test::postingsOf("Bg", test::days(64)); // two pages
    UtskrStatForm& d = openOn(a);
    useQueue("PDF");
    printNow(d);
    EXPECT_EQ(titles(), QStringList{"Printerutskrift"});
    EXPECT_EQ(lastBox().text, "Utskrift har skickats till printer för konto:\n\nBud\n");
    const QStringList files = cups->waitForFiles(1);
    ASSERT_EQ(files.size(), 1) << "the job did not come out of the queue";
    EXPECT_TRUE(test::readFile(QDir(cups->outFolder()).filePath(files[0])).startsWith("%PDF"));
    if (!QStandardPaths::findExecutable("pdfinfo").isEmpty()) {
        EXPECT_EQ(pagesOf(files[0]), 2);
    }
    EXPECT_EQ(d.CancelState, "kto");
    // The document was handed over and not kept.
    EXPECT_TRUE(QDir(path("tmp")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(CupsPrint, AJobThePrintSystemRefusesIsReportedWithItsReasonNotConfirmed) {
    UtskrStatForm& d = openOn(test::budgetBud());
    ASSERT_TRUE(cups->command("cupsreject", {"PDF"}));

    // A listing to the queue that takes no jobs.
    useQueue("PDF");
    fakes.messages->answers.push_back(platform::Answer::No); // no error report
    printNow(d);
    ASSERT_EQ(titles().size(), 1);
    EXPECT_TRUE(lastBox().title.startsWith("Felspec. = "));
    EXPECT_TRUE(lastBox().title.contains("not accepting jobs")) << lastBox().title.toStdString();
    EXPECT_TRUE(lastBox().text.startsWith(
        "Ett fel har uppstått i subrutinen PriPr_1 vid utskriftsförsök till printer.\n"));
    EXPECT_EQ(Module1.SysFel, lastBox().title.mid(11));

    // The statistics to the same queue.
    chooseTransaction(d, "Mat");
    fakes.messages->answers.push_back(platform::Answer::No);
    printNow(d);
    ASSERT_EQ(titles().size(), 1);
    EXPECT_TRUE(lastBox().title.contains("not accepting jobs"));
    EXPECT_TRUE(lastBox().text.startsWith("Ett fel har uppstått i subrutinen PriPr_7"));
    EXPECT_EQ(d.CancelState, "stk"); // the statistics stand, for another try

    // A printer that is gone by the time the job is handed over.
    press(d.Command2);
    useQueue("Borta", true);
    fakes.messages->answers.push_back(platform::Answer::No);
    printNow(d);
    ASSERT_EQ(titles().size(), 1);
    EXPECT_TRUE(lastBox().title.startsWith("Felspec. = ")) << lastBox().title.toStdString();
    EXPECT_TRUE(lastBox().text.startsWith("Ett fel har uppstått i subrutinen PriPr_1"));

    // Nothing came out, and nothing was said to have gone.
    for (const auto& call : fakes.messages->calls)
        EXPECT_NE(call.title, "Printerutskrift");
    EXPECT_TRUE(cups->waitForFiles(0).isEmpty());
    EXPECT_TRUE(QDir(path("tmp")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}
