// A disk that fills up under the running window, as a user meets it: a
// posting refused, then saved once there is room, then the exit, where only
// the program's own settings find no room. Every box says what is true.
#include "core/Paths.h"
#include "core/SafeWrite.h"
#include "mainwindow/WindowDriver.h"
#include "platform/testing/PowerCut.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <optional>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::rec;
using fyn::test::records;
using platform::Answer;
using platform::Buttons;
using platform::testing::PowerCut;
using platform::testing::ProgramEnded;

namespace {

class FullDisk : public test::WindowTest {};

TEST_F(FullDisk, ThePostingsAreSavedAndTheExitSaysOnlyTheSettingsWait) {
    HeadForm& f = start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                       rec(test::enkel("2026-03-01", "2", "1500", "1500"))}));
    const QByteArray before = data();
    platform::testing::PowerCutInstalled disk;
    // No room for the posting's entry: refused, and the box says why.
    bool full = true;
    disk->fault = [&](PowerCut::Op op, const QString&) {
        return full && op == PowerCut::Op::Reserve ? ENOSPC : 0;
    };
    fakes.messages->answers = {Answer::No}; // no error report
    ASSERT_TRUE(choose("Insättning"));
    type(f.Bel_Enkel, "100");
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(titles(), QStringList{"Felspec. = Disk full"});
    EXPECT_TRUE(lastBox().text.contains("Disken är full")) << lastBox().text.toStdString();
    EXPECT_EQ(data(), before);

    // Room again: the same posting is saved.
    full = false;
    f.Command3_Click();
    ASSERT_TRUE(choose("Insättning"));
    type(f.Bel_Enkel, "100");
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(titles(), QStringList{});
    const QByteArray saved = data();
    ASSERT_EQ(saved.size(), before.size() + 43);

    // The exit: the settings' own file finds no room. One box, about them.
    disk->fault = [](PowerCut::Op op, const QString& p) {
        return op == PowerCut::Op::Write && p.endsWith("/KontoIni") ? ENOSPC : 0;
    };
    EXPECT_THROW(f.findChild<QAction*>("Ex_mn")->trigger(), ProgramEnded);
    ASSERT_EQ(titles(), QStringList{"Inställningarna sparas senare"});
    const QString told = lastBox().text;
    EXPECT_TRUE(told.contains("inställningar")) << told.toStdString();
    EXPECT_TRUE(told.contains("Dina poster och konton är sparade")) << told.toStdString();
    EXPECT_FALSE(told.contains("Ändringen är påbörjad")) << told.toStdString();

    // The next start, with room: the posting and the settings are there.
    disk->fault = nullptr;
    form.reset();
    ledger::account().closeAll();
    form = std::make_unique<HeadForm>();
    form->Form_Load();
    EXPECT_EQ(titles(), QStringList{});
    EXPECT_EQ(data(), saved);
    EXPECT_EQ(readFile(kontoIniPath()), "1\r\nAnna\r\n");
}

// What no box may say of a change that only the program's memory holds.
void expectNoPromise(const QString& text) {
    for (const char* promise : {"nästa gång", "slutförs senast", "startar nästa"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(promise))) << text.toStdString();
}

// The disk takes the posting's entry but none of the journal's syncs, so the
// cut that would take it back does not stand either: the posting lives only
// in the program's memory. Each way out says it is lost if the program ends
// now and asks: Ja tries again, Avbryt keeps the window open for the disk to
// be freed or mended, Nej ends with it lost. After a power cut the next start
// holds what the user was told, and says nothing.
TEST_F(FullDisk, AChangeOnlyInMemoryIsAskedForAtTheExitAndNeverPromised) {
    enum class Way { Menu, Button, CloseBox };
    struct Case {
        const char* name;
        int error; // the journal's syncs answer this (ENOSPC: a full disk)
        Way way;
        bool mended; // the disk takes it before the second exit; else Nej there
    };
    const Case cases[] = {
        {"EIO, the menu, mended", EIO, Way::Menu, true},
        {"full, the close box, mended", ENOSPC, Way::CloseBox, true},
        {"EIO, the button, ended lost", EIO, Way::Button, false},
        {"full, the menu, ended lost", ENOSPC, Way::Menu, false},
        {"EIO, the close box, ended lost", EIO, Way::CloseBox, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dataFolder()).removeRecursively();
        HeadForm& f = start(account("Ek", {rec(test::enkel("2026-01-01", "1", "0", "0")),
                                           rec(test::enkel("2026-03-01", "2", "1500", "1500"))}));
        const QByteArray before = data();
        titles();
        std::optional<platform::testing::PowerCutInstalled> disk;
        disk.emplace();
        bool refusing = true;
        (*disk)->fault = [&](PowerCut::Op op, const QString& p) {
            return refusing && op == PowerCut::Op::Sync && p.endsWith("/.journal") ? c.error : 0;
        };
        ASSERT_TRUE(choose("Insättning"));
        type(f.Bel_Enkel, "100");
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        ASSERT_EQ(titles(), QStringList{"Ändringen är inte säkert sparad"});
        expectNoPromise(lastBox().text);
        EXPECT_TRUE(lastBox().text.contains("bara i programmets minne"))
            << lastBox().text.toStdString();

        // Avsluta by the mouse (the close box is an event of its own): Ja
        // finds the disk refusing still, Avbryt keeps the window.
        const auto leave = [&](bool mouse) {
            if (c.way == Way::Menu && mouse) {
                test::chooseMenuItem(f.menuBar(), f.Ark_mn, f.Ex_mn);
            } else if (c.way == Way::Menu) {
                f.Ex_mn->trigger();
            } else if (c.way == Way::Button && mouse) {
                QTest::mouseClick(f.Command4, Qt::LeftButton);
            } else if (c.way == Way::Button) {
                f.Command4->click();
            } else {
                QCloseEvent close;
                QCoreApplication::sendEvent(&f, &close);
            }
        };
        fakes.messages->answers = {Answer::Yes, Answer::Cancel};
        EXPECT_NO_THROW(leave(true));
        EXPECT_EQ(titles(), QStringList(2, "Ändringen är inte sparad"));
        for (size_t i = fakes.messages->calls.size() - 2; i < fakes.messages->calls.size(); ++i) {
            const platform::testing::MessageCall& asked = fakes.messages->calls[i];
            EXPECT_EQ(asked.buttons, Buttons::YesNoCancel);
            EXPECT_TRUE(asked.text.contains("går förlorad om programmet avslutas nu"))
                << asked.text.toStdString();
            EXPECT_TRUE(
                asked.text.contains(c.error == ENOSPC ? "Disken är full" : "Disken svarar med fel"))
                << asked.text.toStdString();
            expectNoPromise(asked.text);
        }
        EXPECT_EQ(fakes.end->ends, 0);
        EXPECT_TRUE(f.isVisible());

        // The same way out again, without a mouse event: an end thrown through
        // Qt's mouse handling leaks the event it copied. Mended, it saves the
        // posting and asks nothing; else Nej ends with the posting lost.
        refusing = !c.mended;
        fakes.messages->answers = {Answer::No};
        EXPECT_THROW(leave(false), ProgramEnded);
        EXPECT_EQ(titles(), c.mended ? QStringList{} : QStringList{"Ändringen är inte sparad"});
        // The program is gone (what it left waits, refused as before); then the power.
        form.reset();
        ledger::account().closeAll();
        (*disk)->cut();
        disk.reset();
        form = std::make_unique<HeadForm>();
        form->Form_Load();
        EXPECT_EQ(titles(), QStringList{}) << "the start said something";
        const QByteArray found = data();
        if (c.mended) {
            EXPECT_EQ(found.size(), before.size() + 43);
            EXPECT_EQ(found.left(before.size()), before);
        } else {
            EXPECT_EQ(found, before);
        }
        form.reset();
        ledger::account().closeAll();
        fakes.end->ends = 0;
        fakes.messages->answers.clear();
    }
}

} // namespace
