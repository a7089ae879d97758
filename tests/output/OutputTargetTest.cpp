// Where a listing or a printout may be written: a text file and a PDF file
// chosen in the print box alike are refused in the data folder and onto a file
// the program keeps open, however the path leads there, before anything is
// written.
#include "output/OutputDriver.h"
#include "platform/Printer.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QTimer>
#include <sys/fsuid.h>
#include <unistd.h>

using namespace fyn;
using fyn::test::OutputTest;

class OutputTarget : public OutputTest {
protected:
    // The real printer, its box answered as a user who prints to a PDF file.
    void usePdf(const QString& file) {
        platform::setPrinters(platform::makeQtPrinters([=](QPrinter& p, QWidget*) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(file);
            return true;
        }));
    }
    // "Utskrift" to the text file or the PDF file at target.
    void output(UtskrStatForm& d, bool pdf, const QString& target) {
        if (pdf) {
            usePdf(target);
            tick(d.Option3);
        } else {
            tick(d.Option2);
            fakes.files->answers.push_back(target);
        }
        press(d.Command1);
    }
};

TEST_F(OutputTarget, NothingIsWrittenIntoTheDataFolderOrOntoAFileTheProgramHasOpen) {
    UtskrStatForm& d = openOn(test::budgetBud());
    // Ways into the data folder from outside it: a link to the folder, a link
    // to one of its files, and a second name of a file the main window holds
    // open.
    ASSERT_TRUE(QFile::link(dataFolder(), path("genväg")));
    ASSERT_TRUE(QFile::link(kontoFilPath(), path("länk.pdf")));
    ASSERT_EQ(::link(QFile::encodeName(accountFile("Bud", "Transakt")).constData(),
                     QFile::encodeName(path("andra-namnet.pdf")).constData()),
              0);
    const QString targets[] = {accountFile("Bud", "KontoData"), dataFolder() + "/lista.pdf",
                               path("genväg/Bud/lista.pdf"), path("länk.pdf"),
                               path("andra-namnet.pdf")};
    const auto before = dataFiles();
    const QByteArray transakt = test::readFile(accountFile("Bud", "Transakt"));

    for (const QString& target : targets)
        for (const bool pdf : {false, true}) {
            SCOPED_TRACE((pdf ? "PDF " : "text ") + target.toStdString());
            output(d, pdf, target);
            EXPECT_EQ(titles(), QStringList{"Konto- eller statistikutskrift "});
            EXPECT_TRUE(lastBox().text.startsWith(
                "Utskriften kan inte sparas i programmets datamapp\n" + dataFolder() + " !"));
            EXPECT_EQ(dataFiles(), before);
            EXPECT_EQ(d.CancelState, "kto");
        }
    EXPECT_TRUE(QFileInfo(path("länk.pdf")).isSymLink());
    EXPECT_EQ(test::readFile(path("andra-namnet.pdf")), transakt);

    // The statistics likewise, and they stay on for another place.
    chooseTransaction(d, "Mat");
    for (const bool pdf : {false, true}) {
        output(d, pdf, accountFile("Bud", "KontoData"));
        EXPECT_EQ(titles(), QStringList{"Konto- eller statistikutskrift "});
        EXPECT_EQ(dataFiles(), before);
        EXPECT_EQ(d.CancelState, "stk");
    }

    // Beside the data folder both are written.
    output(d, true, path("statistik.pdf"));
    EXPECT_EQ(titles(), QStringList{"Printerutskrift"});
    EXPECT_TRUE(test::readFile(path("statistik.pdf")).startsWith("%PDF"));
    output(d, false, path("lista.txt"));
    EXPECT_EQ(titles(), QStringList{"Konto- eller statistikutskrift "});
    EXPECT_TRUE(lastBox().text.startsWith("Utskriften finns nu tillgänglig"));
    EXPECT_EQ(dataFiles(), before);
}

namespace {

// Runs body with the file rights of an ordinary user, so that a folder
// without write permission refuses even when the tests run as root.
template <class Body> void asOrdinaryUser(Body&& body) {
    struct Rights {
        Rights() : root(::geteuid() == 0) {
            if (root)
                ::setfsuid(65534);
        }
        ~Rights() {
            if (root)
                ::setfsuid(0);
        }
        bool root;
    } rights;
    body();
}

} // namespace

// A place the user may not write names itself in the message, not the data
// folder, which is fine.
TEST_F(OutputTarget, AFolderThatRefusesTheFileIsNamedNotTheDataFolder) {
    UtskrStatForm& d = openOn(test::budgetBud());
    const QString folder = path("skrivskyddad");
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(dir.path(), readable | QFile::WriteOwner);
    QFile::setPermissions(folder, readable);
    for (const bool pdf : {false, true}) {
        SCOPED_TRACE(pdf ? "PDF" : "text");
        asOrdinaryUser([&] { output(d, pdf, folder + "/lista.pdf"); });
        ASSERT_EQ(titles(), QStringList{"Otillåten filåtkomst"});
        const QStringList paragraphs = lastBox().text.split("\n\n");
        ASSERT_EQ(paragraphs.size(), 3);
        EXPECT_EQ(paragraphs[0], "'Permission denied' !");
        EXPECT_EQ(paragraphs[1],
                  "Programmet fick inte skriva eller läsa i mappen\n" + folder + " !");
        EXPECT_TRUE(paragraphs[2].startsWith("Kontrollera att du har skrivrätt till mappen " +
                                             folder + " "));
        EXPECT_FALSE(lastBox().text.contains("atamapp")) << lastBox().text.toStdString();
        EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

namespace {

// The desktop's save box, answered as a user does: the path typed into its
// name field and Enter pressed, once the box is up.
void typeIntoSaveBox(const QString& target) {
    QTimer::singleShot(0, [target] {
        auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!box)
            return typeIntoSaveBox(target); // not up yet
        auto* name = box->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(target);
        QTest::keyClick(name, Qt::Key_Return);
    });
}

} // namespace

// A text listing aimed at a file of the data folder is refused before the
// user is asked whether to replace it; a file elsewhere is replaced only on Yes.
TEST_F(OutputTarget, TheSaveBoxRefusesTheDataFolderBeforeAskingToReplace) {
    platform::setFileDialogs(platform::makeQtFileDialogs());
    fakes.files = nullptr; // the double went with it
    UtskrStatForm& d = openOn(test::budgetBud());
    const auto before = dataFiles();

    tick(d.Option2);
    typeIntoSaveBox(accountFile("Bud", "KontoData"));
    press(d.Command1);
    EXPECT_EQ(titles(), QStringList{"Konto- eller statistikutskrift "});
    EXPECT_TRUE(lastBox().text.startsWith("Utskriften kan inte sparas i programmets datamapp"))
        << lastBox().text.toStdString();
    EXPECT_EQ(dataFiles(), before);
    EXPECT_EQ(d.CancelState, "kto");

    // Outside the data folder the user says whether the file goes.
    test::writeFile(path("lista.txt"), "gammal");
    tick(d.Option2);
    typeIntoSaveBox(path("lista.txt"));
    fakes.messages->answers.push_back(platform::Answer::Yes);
    press(d.Command1);
    EXPECT_EQ(titles(), (QStringList{"Spara som", "Konto- eller statistikutskrift "}));
    EXPECT_EQ(fakes.messages->calls[fakes.messages->calls.size() - 2].text,
              "Filen lista.txt finns redan.\n\nVill du ersätta den ?");
    EXPECT_TRUE(test::readFile(path("lista.txt")).startsWith("Utskrift av"));
}
