// The donation window opened from the main window, as the user opens and
// closes it.
#include "services/DonateForm.h"
#include "core/PosFil.h"
#include "core/SafeWrite.h"
#include "mainwindow/WindowDriver.h"
#include "platform/WebPane.h"
#include "support/LocalWebServer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>

using namespace fyn;
using fyn::test::rec;

namespace {

const QString kText = "\n\n"
                      "Detta är ett s k FreeWare-program, vilket innebär att det är fritt för dig "
                      "att använda under obegränsad tid.\n\n"
                      "Är du nöjd med programmet och vill visa din uppskattning får du gärna "
                      "överraska mig med en donation på valfritt belopp !\n\n"
                      "Det enklaste sättet att utföra en sådan är via din internetbank !\n"
                      "Då kan du föra över ett valfritt belopp till konto nr:\n"
                      "8327-9 934 615 482-7 (Fynbanken)\n\n"
                      "           Med vänlig hälsning\n\n"
                      "                /Moxel";

class Donation : public test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        saved_ = HeadForm::openDonateForm;
        installDonateForm();
    }
    void TearDown() override {
        WindowTest::TearDown();
        HeadForm::openDonateForm = saved_;
    }
    HeadForm& open() {
        return start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0"))}));
    }

    static DonateForm* shown() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<DonateForm*>(w); d && d->isVisible())
                return d;
        return nullptr;
    }
    // The window is gone once the events that delete it have run.
    static bool gone(const QPointer<DonateForm>& d) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return d.isNull();
    }
    // Fields 5 and 6 of PosFil.
    static QByteArray place() { return test::readFile(posFilPath()).mid(4 * 7, 14); }

private:
    std::function<void(HeadForm&)> saved_;
};

TEST_F(Donation, TheButtonShowsTheWindowAndAvbrytGivesTheMainWindowBack) {
    HeadForm& f = open();
    QTest::mouseClick(f.Command14, Qt::LeftButton);
    QPointer<DonateForm> d = shown();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->windowTitle(), "Donation");
    EXPECT_EQ(d->Label1->text(), kText);
    EXPECT_FALSE(f.isEnabled());
    // The page of the author's server, then an empty page, once.
    ASSERT_FALSE(fakes.webPanes.empty());
    auto* pane = fakes.webPanes.back();
    EXPECT_EQ(pane->visited, QStringList{platform::authorServer().webBase + "FynDon_5.php"});
    pane->finishLoading();
    EXPECT_EQ(pane->visited,
              (QStringList{platform::authorServer().webBase + "FynDon_5.php", "about:blank"}));
    // The first opening stores where it opened.
    const QByteArray stored = place();
    EXPECT_TRUE(stored.at(0) >= '0' && stored.at(0) <= '9') << stored.toStdString();
    EXPECT_EQ(stored.mid(0, 7).trimmed().toInt(), d->pos().x() * 15);

    QTest::mouseClick(d->Command2, Qt::LeftButton);
    EXPECT_TRUE(f.isEnabled());
    EXPECT_TRUE(gone(d));
    EXPECT_EQ(place(), stored); // not moved: nothing written
}

// The keyboard closes it as the mouse does: Enter or the space bar on the
// focused "Avbryt".
TEST_F(Donation, EnterOrSpaceOnTheFocusedButtonClosesTheWindow) {
    HeadForm& f = open();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        QTest::mouseClick(f.Command14, Qt::LeftButton);
        QPointer<DonateForm> d = shown();
        ASSERT_TRUE(d);
        d->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == d.data(); }));
        d->Command2->setFocus();
        ASSERT_TRUE(d->Command2->hasFocus());
        QTest::keyClick(d->Command2, key);
        EXPECT_TRUE(f.isEnabled()) << key;
        EXPECT_TRUE(gone(d)) << key;
    }
}

// However the window is closed, the main window is enabled again; a move is
// kept for the next opening.
TEST_F(Donation, EveryWayOutEnablesTheMainWindow) {
    HeadForm& f = open();
    const struct {
        const char* way;
        std::function<void(DonateForm&)> close;
    } ways[] = {
        {"menu item, close box", [](DonateForm& d) { d.close(); }},
        {"menu item, Esc",
         [](DonateForm& d) {
             d.activateWindow();
             ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &d; }));
             QTest::keyClick(&d, Qt::Key_Escape);
         }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        test::chooseMenuItem(f.menuBar(), f.KB_InfAnv_mn, f.Donera_mn);
        QPointer<DonateForm> d = shown();
        ASSERT_TRUE(d);
        ASSERT_FALSE(f.isEnabled());
        const QPoint moved = d->pos() + QPoint(30, 20);
        d->move(moved);
        w.close(*d);
        EXPECT_TRUE(f.isEnabled());
        EXPECT_TRUE(gone(d));
        EXPECT_EQ(place(), QString("%1").arg(moved.x() * 15, -7).toLatin1() +
                               QString("%1").arg(moved.y() * 15, -7).toLatin1());
    }
}

TEST_F(Donation, AnUnsetOrUnreadablePlaceLeavesTheWindowWhereItOpens) {
    HeadForm& f = open();
    // A stored Left below zero counts as unset: the place it opens at is stored.
    PosFilPost rec = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
    rec.Pos[4] = "-300";
    rec.Pos[5] = "900";
    openRecordFile<PosFilPost>(posFilPath()).put(1, rec);
    f.Command14_Click();
    QPointer<DonateForm> d = shown();
    ASSERT_TRUE(d);
    EXPECT_EQ(place().left(7).trimmed().toInt(), d->pos().x() * 15);
    d->Command2_Click();

    // A PosFil that cannot be read or written neither stops nor reports.
    checkpoint();
    QFile::remove(posFilPath());
    QDir().mkpath(posFilPath());
    f.Command14_Click();
    d = shown();
    ASSERT_TRUE(d);
    d->move(d->pos() + QPoint(10, 10));
    d->Command2_Click();
    EXPECT_TRUE(f.isEnabled());
    EXPECT_TRUE(fakes.messages->calls.empty());
}

// The page comes from the author's server (here a local one) and is blanked
// once it has loaded.
TEST_F(Donation, TheDonationPageIsFetchedThenBlanked) {
    test::LocalWebServer server;
    server.serve("/FynDon_5.php", "<html><body>Donera</body></html>");
    server.serve("/Fyn_5.php", "<html><body>Start</body></html>");
    const platform::AuthorServer saved = platform::authorServer();
    platform::authorServer().webBase = server.base();
    platform::setWebPaneFactory(nullptr); // the real pane
    HeadForm& f = open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests.size() == 1; })); // the start page
    QTest::mouseClick(f.Command14, Qt::LeftButton);
    DonateForm* d = shown();
    ASSERT_TRUE(d);
    QSignalSpy completed(d->WebBrowser1, &platform::WebPane::documentComplete);
    ASSERT_TRUE(QTest::qWaitFor([&] { return completed.count() == 2; }));
    EXPECT_EQ(completed[0][0].toString(), server.base() + "FynDon_5.php");
    EXPECT_EQ(completed[1][0].toString(), "about:blank");
    QTest::qWait(200);
    EXPECT_EQ(completed.count(), 2);
    EXPECT_EQ(server.requests, (QStringList{"/Fyn_5.php", "/FynDon_5.php"}));
    d->Command2_Click();
    platform::authorServer() = saved;
}

TEST_F(Donation, SavesAPictureOfTheWindow) {
    HeadForm& f = open();
    QTest::mouseClick(f.Command14, Qt::LeftButton);
    DonateForm* d = shown();
    ASSERT_TRUE(d);
    const QImage image = d->grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QCoreApplication::applicationDirPath() + "/donateform.png"));
    d->Command2_Click();
}

} // namespace
