// A disk that fills up under the running window, as a user meets it: a
// posting refused, then saved once there is room, then the exit, where only
// the program's own settings find no room. Every box says what is true.
#include "core/Paths.h"
#include "core/SafeWrite.h"
#include "mainwindow/WindowDriver.h"
#include "platform/testing/PowerCut.h"

#include <QAction>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::rec;
using fyn::test::records;
using platform::Answer;
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

} // namespace
