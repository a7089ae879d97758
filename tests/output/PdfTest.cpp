// The real printer through Qt, printing to a PDF file: the pages and their
// orientation, where the ink lies on a rendered page, and that a cancelled or
// failed printout leaves no file. Needs poppler's pdfinfo, pdftotext and
// pdftoppm; skipped without them.
#include "output/OutputDriver.h"
#include "platform/Printer.h"

#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <cmath>

using namespace fyn;
using fyn::test::OutputTest;

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool haveTools() {
    for (const char* tool : {"pdfinfo", "pdftotext", "pdftoppm"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return false;
    return true;
}

// "Pages:" and the first page's size in points, from pdfinfo.
struct PdfInfo {
    int pages = 0;
    double width = 0, height = 0;
};
PdfInfo pdfInfo(const QString& file) {
    PdfInfo info;
    for (const QString& line : run("pdfinfo", {file}).split('\n')) {
        if (line.startsWith("Pages:"))
            info.pages = line.mid(6).trimmed().toInt();
        if (line.startsWith("Page size:")) {
            const QStringList parts = line.mid(10).simplified().split(' ');
            info.width = parts.value(0).toDouble();
            info.height = parts.value(2).toDouble();
        }
    }
    return info;
}

QString pageText(const QString& file, int page) {
    const QString n = QString::number(page);
    return run("pdftotext", {"-f", n, "-l", n, "-layout", file, "-"});
}

constexpr int kDpi = 100;
// Twips to pixels of the rendered page; A4 with 10 pt margins all round.
constexpr double kPx = kDpi / 1440.0;
constexpr double kMargin = 200 * kPx;
constexpr double kA4Width = 595.276 * 20, kA4Height = 841.89 * 20;

QImage render(const QString& file, const QString& png) {
    const QString stem = png.chopped(4);
    run("pdftoppm",
        {"-png", "-r", QString::number(kDpi), "-f", "1", "-l", "1", "-singlefile", file, stem});
    return QImage(png).convertToFormat(QImage::Format_Grayscale8);
}

bool ink(const QImage& image, int x, int y) {
    return image.pixelColor(x, y).lightness() < 128;
}

} // namespace

class PdfPrint : public OutputTest {
protected:
    void SetUp() override {
        OutputTest::SetUp();
        if (!haveTools())
            GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext, pdftoppm) are not installed";
    }
    // The real printer, its box answered as a user who picks a PDF file on A4
    // in the given orientation, or who cancels.
    void usePdf(const QString& file, QPageLayout::Orientation inBox, bool ok = true) {
        platform::setPrinters(platform::makeQtPrinters([=](QPrinter& p, QWidget*) {
            if (!ok)
                return false;
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(file);
            p.setPageSize(QPageSize(QPageSize::A4));
            p.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Point);
            p.setPageOrientation(inBox);
            return true;
        }));
    }
    void printNow(UtskrStatForm& d) {
        tick(d.Option3);
        press(d.Command1);
    }
    QString picture(const char* name) const {
        return QCoreApplication::applicationDirPath() + "/" + name;
    }
};

TEST_F(PdfPrint, APortraitListingOnA4WithItsTextWhereThePageSaysIt) {
    test::FixtureAccount a = test::budgetBud();
    a.postings = test::postingsOf("Bg", test::days(64));
    UtskrStatForm& d = openOn(a);
    const QString file = path("lista.pdf");
    usePdf(file, QPageLayout::Landscape); // the box's orientation does not hold
    printNow(d);
    EXPECT_EQ(titles(), QStringList{"Printerutskrift"});

    const PdfInfo info = pdfInfo(file);
    EXPECT_EQ(info.pages, 2);
    EXPECT_LT(info.width, info.height);
    const QString first = pageText(file, 1);
    // (pdftotext gives runs of blanks as one.)
    EXPECT_TRUE(first.simplified().contains("Utskrift av Bud, datum: 2024-05-01 Sida 1"));
    EXPECT_TRUE(first.contains("2024-03-03")); // the 63rd row, at the foot of the page
    EXPECT_TRUE(pageText(file, 2).contains("2024-03-04"));

    const QImage page = render(file, picture("printed-portrait.png"));
    ASSERT_FALSE(page.isNull());
    const double scale = std::min((kA4Width - 400) / 11000, (kA4Height - 400) / 16000);
    // The header hangs from the top of its character cell: its ink starts
    // just below Y 400, not a line higher as from a baseline.
    int top = -1;
    for (int y = 0; y < page.height() && top < 0; ++y)
        for (int x = 0; x < page.width(); ++x)
            if (ink(page, x, y)) {
                top = y;
                break;
            }
    const double cellTop = kMargin + 400 * scale * kPx;
    const double ascent = 0.905 * 11 * kDpi / 72.0;
    EXPECT_GE(top, std::floor(cellTop) - 1);
    EXPECT_LE(top, cellTop + ascent / 2);

    // The amounts under "Belopp" end at its right edge, measured in the
    // printed font: the last inked pixel's far side, less the digit's own
    // small margin, stands there.
    int right = -1;
    const int x0 = int(kMargin + 3000 * scale * kPx), x1 = int(kMargin + 5500 * scale * kPx);
    const int y0 = int(kMargin + 1350 * scale * kPx), y1 = int(kMargin + 15900 * scale * kPx);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (ink(page, x, y))
                right = std::max(right, x);
    EXPECT_NEAR(right + 1, kMargin + 5100 * scale * kPx, 1.0);
}

TEST_F(PdfPrint, ALandscapeListingOnA4KeepsItsLastRowOnThePage) {
    test::FixtureAccount a = test::budgetBud();
    a.postings = test::postingsOf("Bg", test::days(43));
    UtskrStatForm& d = openOn(a);
    tickVariant(d, true, true, true);
    const QString file = path("bred.pdf");
    usePdf(file, QPageLayout::Portrait);
    printNow(d);
    const PdfInfo info = pdfInfo(file);
    EXPECT_EQ(info.pages, 2);
    EXPECT_GT(info.width, info.height);
    EXPECT_TRUE(pageText(file, 1).contains("2024-02-11")); // the 42nd row, at Y 10780
    EXPECT_FALSE(render(file, picture("printed-landscape.png")).isNull());
}

TEST_F(PdfPrint, NoFileIsLeftOfACancelledOrFailedPrintout) {
    test::FixtureAccount a = test::budgetBud();
    a.postings = test::postingsOf("Bg", test::days(64));
    UtskrStatForm& d =
        openOnDamaged(a, 40, test::rec(test::budget("2024-02-09", "x", "0", "0", "0", "0", "0")));
    QDir().mkpath(path("ut"));
    const QString file = path("ut/lista.pdf");

    usePdf(file, QPageLayout::Portrait, false);
    printNow(d);
    EXPECT_TRUE(titles().isEmpty());
    EXPECT_TRUE(QDir(path("ut")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    // A record that does not read stops the printout: an existing file of the
    // name stays as it was, and nothing lies beside it.
    test::writeFile(file, "gammal");
    usePdf(file, QPageLayout::Portrait);
    fakes.messages->answers.push_back(platform::Answer::No);
    printNow(d);
    EXPECT_EQ(titles(), QStringList{"Felspec. = Type mismatch"});
    EXPECT_EQ(test::readFile(file), "gammal");
    EXPECT_EQ(QDir(path("ut")).entryList(QDir::Files | QDir::Hidden), QStringList{"lista.pdf"});

    // A folder that is not there.
    usePdf(path("saknas/lista.pdf"), QPageLayout::Portrait);
    fakes.messages->answers.push_back(platform::Answer::No);
    printNow(d);
    EXPECT_EQ(titles(), QStringList{"Felspec. = Path not found"});
    EXPECT_FALSE(QFileInfo::exists(path("saknas")));
}
