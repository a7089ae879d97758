// The fund account from the "Saldo" heading: the information window, the
// standard transaction and the balance entry that brings the account to the
// balance typed.
#include "core/Codec1252.h"
#include "mainwindow/MsgForm.h"
#include "mainwindow/WindowDriver.h"
#include "names/NameDialogs.h"
#include "platform/ClickLabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>

using namespace fyn;
using fyn::test::rec;

namespace {

const QString kInfo =
    "...sker uppdateringen av kontot mestadels via kontosaldot hos bank. Det kan då kopieras "
    "från bankens hemsida / klistras in som Nytt Saldo\n\n"
    "Klicka på rubriken 'Saldo' ! Då kan också en standardtransaktion skapas för ändamålet\n"
    "(ex. \"Ändrad andel/kurs\")\n\n"
    "Transaktionsbelopp framräknas slutligen av programmet, teckensätts och läggs in "
    "automatiskt !";

class FundAccount : public test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        savedOpen_ = HeadForm::openTransForm;
        savedOpenSub_ = HeadForm::openSubTransForm;
        savedSave_ = HeadForm::saveTransName;
        installNameDialogs();
    }
    void TearDown() override {
        // The mouse leaves the heading, so that the next window made here
        // does not open under it with its information showing.
        if (form)
            QTest::mouseMove(form->Combo3);
        WindowTest::TearDown();
        HeadForm::openTransForm = savedOpen_;
        HeadForm::openSubTransForm = savedOpenSub_;
        HeadForm::saveTransName = savedSave_;
    }

    // A simple account with postings on both sides of the working date 2026-07-01.
    static test::FixtureAccount fund(const QString& name,
                                     std::vector<std::pair<QString, QString>> extra = {}) {
        test::FixtureAccount a =
            account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                           rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                           rec(test::enkel("2026-06-01", "3", "-500", "1000")),
                           rec(test::enkel("2026-09-01", "2", "200", "1200"))});
        a.name = name;
        for (auto& t : extra)
            a.trans.push_back(std::move(t));
        return a;
    }

    // The input box answers text, typed with Enter and "OK"; its title is kept.
    void answerInput(const QString& text) {
        fakes.modal->actions.push_back([this, text](QDialog& d) {
            inputTitle = d.windowTitle();
            auto* box = d.findChild<QLineEdit*>("Text1");
            inputDefault = box->text();
            box->setText(text);
            QTest::keyClick(box, Qt::Key_Return);
            d.findChild<QPushButton*>("Command1")->click();
        });
    }

    // The mouse comes onto the heading from the amount heading beside it.
    void hoverSaldo() {
        QTest::mouseMove(form->Label11);
        QTest::mouseMove(form->Label12);
    }
    void clickSaldo() { QTest::mouseClick(form->Label12, Qt::LeftButton); }
    MsgForm* msg() const { return form->msgForm(); }
    bool msgShown() const { return msg() && msg()->isVisible(); }

    QByteArray transakt() const { return test::readFile(accountFile(name, "Transakt")); }
    QByteArray kontoFil() const { return test::readFile(kontoFilPath()); }
    QColor saldoColour() const { return form->Label12->palette().color(QPalette::Window); }

    // Two simple accounts without a standard transaction; the first is opened.
    HeadForm& twoAccounts(const QString& first) {
        test::writeAccount(fund("Kassa"), 2);
        return start(fund(first));
    }

    QString inputTitle, inputDefault;

private:
    std::function<void(HeadForm&)> savedOpen_, savedOpenSub_;
    std::function<long(const QString&, const QString&, QString*)> savedSave_;
};

TEST_F(FundAccount, HoveringOffersTheInformationOnlyWithoutAStandardTransaction) {
    HeadForm& f = start(fund("Fond"));
    hoverSaldo();
    EXPECT_EQ(f.Label12->toolTip(), "Förenklad kontouppdatering");
    ASSERT_TRUE(msgShown());
    EXPECT_EQ(msg()->windowTitle(), "Om detta är ett fondkonto...");
    EXPECT_EQ(msg()->Text1->toPlainText(), kInfo);
    EXPECT_TRUE(msg()->Command3->isVisible());
    EXPECT_EQ(msg()->Command3->text(), "OK");
    EXPECT_TRUE(f.isEnabled()); // beside the window, which stays in use
    // Its place is stored at its first showing (PosFil pair 9).
    const QByteArray pos = test::readFile(posFilPath()).mid(16 * 7, 14);
    EXPECT_TRUE(pos.at(0) >= '0' && pos.at(0) <= '9') << pos.toStdString();

    QTest::mouseClick(msg()->Command3, Qt::LeftButton);
    EXPECT_FALSE(msgShown());
    EXPECT_EQ(msg()->Command3->text(), "Avbryt");
    EXPECT_EQ(msg()->Text1->toPlainText(), "");

    // The account start is neutral too but no standard transaction; of two
    // neutral names the first is.
    form.reset();
    ledger::account().closeAll();
    start(fund("Fond2", {{"Kurs", "+"}, {"Andel A", " "}, {"Andel B", " "}}));
    hoverSaldo();
    EXPECT_EQ(form->Label12->toolTip(), "Klicka för direkt saldoinmatning !");
    EXPECT_FALSE(msgShown());
    clickSaldo();
    EXPECT_EQ(Module1.TransNr, 5);
    EXPECT_EQ(form->TransText_Enkel->text(), "Andel A");
    EXPECT_TRUE(fakes.modal->shown.isEmpty()); // nothing asked
}

// "Visa inte igen" marks the account it was shown for, once, in one commit;
// the name is shown and used without the mark.
TEST_F(FundAccount, VisaInteIgenMarksOnlyItsOwnAccount) {
    HeadForm& f = twoAccounts("Fond");
    const QByteArray before = kontoFil();
    hoverSaldo();
    ASSERT_TRUE(msgShown());
    QTest::mouseClick(msg()->Check1, Qt::LeftButton, {}, QPoint(6, msg()->Check1->height() / 2));
    ASSERT_TRUE(msg()->Check1->isChecked());
    QTest::mouseClick(msg()->Command3, Qt::LeftButton);
    EXPECT_EQ(kontoFil(), fieldBytes(QString("Fond") + QChar(6), 35) + before.mid(35));
    EXPECT_FALSE(msg()->Check1->isChecked());
    EXPECT_EQ(Module1.FondInfoFlag, "0");
    hoverSaldo();
    EXPECT_FALSE(msgShown());
    EXPECT_EQ(f.Label12->toolTip(), "");

    // The other account is offered the window, and its OK marks nothing.
    f.Combo3->setCurrentIndex(f.Combo3->findData(2));
    emit f.Combo3->activated(f.Combo3->currentIndex());
    ASSERT_EQ(Module1.KontoNamn, "Kassa");
    hoverSaldo();
    ASSERT_TRUE(msgShown());
    answerInput(""); // no standard transaction after all
    clickSaldo();    // closes the window as its OK does
    EXPECT_FALSE(msgShown());
    EXPECT_EQ(kontoFil().mid(82), before.mid(82));

    // Back on the marked account: listed, shown and opened without the mark.
    const int i = f.Combo3->findData(1);
    EXPECT_EQ(f.Combo3->itemText(i).trimmed(), "Fond");
    f.Combo3->setCurrentIndex(i);
    emit f.Combo3->activated(i);
    EXPECT_EQ(Module1.KontoNamn, "Fond");
    EXPECT_EQ(f.Label16->text(), "Fond");
    EXPECT_EQ(Module1.FondInfoFlag, "0");
    EXPECT_TRUE(ledger::account().kontoData.isOpen());
}

// A name that fills its field has no room for the mark. New names leave room
// for it, and a register name of full length is not opened; should the window
// still be asked to mark one, the name is never cut (its folder depends on it).
TEST_F(FundAccount, AFullLengthNameIsNotCut) {
    const QString longName = "Fondkonto med ett mycket långt namn";
    ASSERT_EQ(toCp1252(longName).size(), 35);
    start(fund("Fond"));
    openRecordFile<KontoFilPost>(kontoFilPath())
        .put(2, KontoFilPost{longName, "1", "Ek", "\\FynData\\"});
    const QByteArray before = kontoFil();
    hoverSaldo();
    ASSERT_TRUE(msgShown());
    msg()->offerFor(2, longName);
    msg()->Check1->setChecked(true);
    msg()->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == msg(); }));
    QTest::keyClick(msg(), Qt::Key_Escape); // Esc is the window's OK
    EXPECT_FALSE(msgShown());
    EXPECT_EQ(kontoFil(), before);
    EXPECT_EQ(titles(), QStringList{"Visa inte igen"});
}

TEST_F(FundAccount, ClickingSaldoCreatesTheStandardTransactionAndAwaitsTheBalance) {
    HeadForm& f = start(fund("Fond"));
    ASSERT_EQ(saldoColour(), QColor(255, 255, 0));
    answerInput("Ändrad andel / kurs");
    clickSaldo();
    EXPECT_EQ(inputTitle, "Standardtransaktion för fondkonto");
    EXPECT_EQ(inputDefault, "Ändrad andel / kurs");
    EXPECT_EQ(transakt(), test::records({encodeRecord(TransPost{"Kontostart", " "}),
                                         encodeRecord(TransPost{"Insättning", "+"}),
                                         encodeRecord(TransPost{"Uttag", "-"}),
                                         encodeRecord(TransPost{"Ändrad andel / kurs", " "})}));
    EXPECT_EQ(saldoColour(), QColor(0, 255, 0));
    EXPECT_EQ(titles(), QStringList{"Fynlar"});
    EXPECT_EQ(lastBox().text, "Skriv eller kopiera in ett nytt uppdaterat Saldo !");
    EXPECT_EQ(Module1.Avb, "saldo");
    EXPECT_EQ(Module1.TransNr, 4);
    EXPECT_EQ(f.TransText_Enkel->text(), "Ändrad andel / kurs");
    EXPECT_EQ(f.Label11->text(), "Nytt Saldo");
    EXPECT_EQ(f.Command3->text(), "Avbryt Saldo-In");
    EXPECT_FALSE(f.Bel_Enkel->isReadOnly());
    // Nothing to work out yet: the button waits for the balance.
    EXPECT_EQ(f.Command2->text(), "");
    EXPECT_FALSE(f.Command2->isEnabled());

    // Esc ends the entry; the name stays for the next time.
    const QByteArray data0 = data();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &f; }));
    QTest::keyClick(f.Bel_Enkel, Qt::Key_Escape);
    EXPECT_EQ(Module1.Avb, "");
    EXPECT_EQ(f.Label11->text(), "Belopp");
    EXPECT_EQ(f.Command2->text(), "Flytta");
    EXPECT_EQ(data(), data0);
    clickSaldo();
    EXPECT_EQ(fakes.modal->shown.size(), 1u); // not asked again
    EXPECT_EQ(Module1.Avb, "saldo");
}

TEST_F(FundAccount, NoNameOrAnOngoingEntryStartsNothing) {
    HeadForm& f = start(fund("Fond"));
    const QByteArray before = transakt();
    for (const char* answer : {"", "   "}) {
        SCOPED_TRACE(answer);
        answerInput(answer);
        clickSaldo();
        EXPECT_EQ(transakt(), before);
        EXPECT_EQ(Module1.Avb, "");
        EXPECT_EQ(f.Label11->text(), "Belopp");
    }
    EXPECT_TRUE(titles().isEmpty());

    // A marked posting keeps its marking: the heading does nothing.
    clickRow(1);
    const QString marked = Module1.Avb;
    ASSERT_FALSE(marked.isEmpty());
    clickSaldo();
    EXPECT_EQ(Module1.Avb, marked);
    EXPECT_EQ(fakes.modal->shown.size(), 2u);
}

// In the middle of the account: the posting is the new balance less the
// balance at the insert point, signed by the difference, and every later
// balance follows.
TEST_F(FundAccount, TheBalanceTypedBringsTheAccountToIt) {
    const auto head = [](const char* amount, const char* balance, const char* later) {
        return test::records({rec(test::enkel("2026-01-01", "1", "0", "0")),
                              rec(test::enkel("2026-03-01", "2", "1500", "1500")),
                              rec(test::enkel("2026-06-01", "3", "-500", "1000")),
                              rec(test::enkel("2026-07-01", "4", amount, balance)),
                              rec(test::enkel("2026-09-01", "2", "200", later))});
    };
    const struct {
        const char* typed;
        bool pasted; // from a bank's page, then a click in the box
        const char* shown;
        QByteArray file;
        const char* message;
    } cases[] = {
        {"1250,75", false, "1 250,75", head("250,75", "1250,75", "1450,75"), "\n\n 250,75"},
        {"600", false, "600,00", head("-400", "600", "800"), "\n\n- 400,0"},
        {"1 000,00", false, "1 000,00", head("0", "1000", "1200"), "\n\n 0,0"},
        {"1.250,75", true, "1 250,75", head("250,75", "1250,75", "1450,75"), "\n\n 250,75"},
        {"1\u00a0250,75", true, "1 250,75", head("250,75", "1250,75", "1450,75"), "\n\n 250,75"},
        {"600.5", false, "600,50", head("-399,5", "600,5", "800,5"), "\n\n- 399,5"},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        form.reset();
        ledger::account().closeAll();
        HeadForm& f = start(fund(QString("Fond%1").arg(++run)));
        setDate("2026-07-01");
        answerInput("Ändrad andel / kurs");
        clickSaldo();
        if (c.pasted) {
            QGuiApplication::clipboard()->setText(QString::fromUtf8(c.typed));
            QTest::keyClick(f.Bel_Enkel, Qt::Key_V, Qt::ControlModifier);
            QTest::mouseClick(f.Bel_Enkel, Qt::LeftButton);
        } else {
            QTest::keyClicks(f.Bel_Enkel, c.typed);
            QTest::keyClick(f.Bel_Enkel, Qt::Key_Return);
        }
        EXPECT_EQ(f.Bel_Enkel->text(), c.shown);
        ASSERT_EQ(f.Command2->text(), "Beräkna");
        ASSERT_TRUE(f.Command2->isEnabled());
        titles();
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        EXPECT_EQ(data(), c.file);
        EXPECT_EQ(titles(), QStringList{"Belopp vid insättning av nytt saldo"});
        EXPECT_EQ(lastBox().text.toStdString(),
                  (QString("Framräknat belopp från nytt saldo den 2026-07-01 blir") + c.message)
                      .toStdString());
        EXPECT_EQ(Module1.Avb, "");
        EXPECT_EQ(f.SaldoInFlag, "0");
        EXPECT_EQ(f.Label11->text(), "Belopp");
        EXPECT_EQ(f.G1->cellText(3, 1), "Ändrad andel / kurs");
    }
}

// The window tells the user to click the heading: opened for the first time
// it covers neither the heading nor the entry row the balance goes in. Once
// it has a place of its own, it opens there.
TEST_F(FundAccount, TheInformationFirstOpensClearOfTheHeadingAndTheEntryRow) {
    HeadForm& f = start(fund("Fond"));
    hoverSaldo();
    ASSERT_TRUE(msgShown());
    const auto global = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint()), w->size()); };
    const QRect heading = global(f.Label12);
    QRect entry = global(f.H_TransOptionEnk);
    for (const QWidget* w : std::initializer_list<const QWidget*>{
             f.S_TransOptionEnk, f.TransCombo_Enkel, f.TransText_Enkel, f.Bel_Enkel})
        entry |= global(w);
    const QRect window = msg()->frameGeometry();
    EXPECT_FALSE(window.intersects(heading)) << window.x() << "," << window.y();
    EXPECT_FALSE(window.intersects(entry)) << window.x() << "," << window.y();
    // And it stays on the screen.
    EXPECT_TRUE(f.screen()->availableGeometry().contains(window));
    // The middle of the heading is the heading's own: a click lands there.
    EXPECT_EQ(QApplication::widgetAt(heading.center()), f.Label12);
    const QByteArray place = test::readFile(posFilPath()).mid(16 * 7, 14);
    QTest::mouseClick(msg()->Command3, Qt::LeftButton);
    EXPECT_EQ(test::readFile(posFilPath()).mid(16 * 7, 14), place); // not moved, not written

    // A stored place is kept, wherever it is.
    QByteArray pos = test::readFile(posFilPath());
    pos.replace(16 * 7, 14, "1500   1800   ");
    test::writeFile(posFilPath(), pos);
    form.reset();
    ledger::account().closeAll();
    start(fund("Fond"));
    hoverSaldo();
    ASSERT_TRUE(msgShown());
    EXPECT_EQ(msg()->pos(), QPoint(100, 120));
}

// A click on the heading before the window was ever shown loads it for its
// OK, which records its place, as a hover would have.
TEST_F(FundAccount, AClickOnSaldoFirstOfAllRecordsTheWindowsPlace) {
    start(fund("Fond", {{"Ändrad andel", " "}}));
    const auto place = [this] { return test::readFile(posFilPath()).mid(16 * 7, 14); };
    ASSERT_EQ(place().trimmed(), "");
    clickSaldo();
    ASSERT_NE(msg(), nullptr);
    EXPECT_FALSE(msgShown());
    const QByteArray stored = place();
    EXPECT_TRUE(stored.at(0) >= '0' && stored.at(0) <= '9') << stored.toStdString();
    EXPECT_EQ(stored, QByteArray::number(msg()->x() * 15).leftJustified(7) +
                          QByteArray::number(msg()->y() * 15).leftJustified(7));
    EXPECT_EQ(Module1.Avb, "saldo"); // the balance entry starts as before
}

TEST_F(FundAccount, SavesAPictureOfTheInformationWindow) {
    start(fund("Fond"));
    hoverSaldo();
    ASSERT_TRUE(msgShown());
    const QImage image = msg()->grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QCoreApplication::applicationDirPath() + "/msgform.png"));
}

} // namespace
