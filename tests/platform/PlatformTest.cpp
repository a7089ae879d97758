#include "platform/Platform.h"
#include "platform/SysError.h"
#include "platform/testing/FakePlatform.h"
#include "support/TestSupport.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <clocale>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <string>

using namespace platform;

TEST(SysError, TextsAreTheRuntimesOwn) {
    const struct {
        int e;
        const char* text;
    } cases[] = {{EACCES, "Permission denied"},     {EPERM, "Permission denied"},
                 {EROFS, "Permission denied"},      {ENOENT, "File not found"},
                 {ENOTDIR, "Path not found"},       {ENOSPC, "Disk full"},
                 {EEXIST, "Path/File access error"}};
    for (const auto& c : cases)
        EXPECT_EQ(sysErrorText(c.e), c.text) << c.e;
}

// What a copy to a stick or a record file can meet: a stick pulled out, a
// share gone, a full medium, a name too long, too many files open.
TEST(SysError, EveryErrorOfACopyOrARecordFileHasTheRuntimesText) {
    const struct {
        int e;
        const char* text;
    } cases[] = {{ENOTCONN, "Device I/O error"},
                 {EIO, "Device I/O error"},
                 {ENXIO, "Device I/O error"},
                 {ENODEV, "Device I/O error"},
                 {ESTALE, "Device I/O error"},
                 {ENOSPC, "Disk full"},
                 {EDQUOT, "Disk full"},
                 {EFBIG, "Disk full"},
                 {ENAMETOOLONG, "Bad file name or number"},
                 {ELOOP, "Path/File access error"},
                 {EMFILE, "Too many files"},
                 {ENFILE, "Too many files"}};
    for (const auto& c : cases)
        EXPECT_EQ(sysErrorText(c.e), c.text) << c.e;
    // Any other in English whatever the machine's language.
    const std::string messages = std::setlocale(LC_MESSAGES, nullptr);
    std::setlocale(LC_MESSAGES, "sv_SE.UTF-8");
    EXPECT_EQ(sysErrorText(EHOSTUNREACH), "No route to host");
    std::setlocale(LC_MESSAGES, messages.c_str());
}

TEST(DriveRoot, HomeMountOrHomeAgain) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    QDir(home.path()).mkpath("prog/bin");
    const auto drives = makeSystemDrives();
    const QString h = QDir(home.path()).canonicalPath() + "/";
    EXPECT_EQ(drives->driveRoot(home.path() + "/prog/bin"), h);
    EXPECT_EQ(drives->driveRoot(home.path()), h);
    // A folder on the root file system: the home folder again.
    EXPECT_EQ(drives->driveRoot("/usr/share"), h);
    // A folder on another mounted file system: that mount's root.
    if (QFileInfo("/dev/shm").isDir()) {
        EXPECT_EQ(drives->driveRoot("/dev/shm"), "/dev/shm/");
    }
    qputenv("HOME", oldHome);
}

// A box that never came fails the test that waited for it, and the run goes on
// to report the other tests.
TEST(FakeMessages, AMissingBoxFailsTheTestThatWaitedForIt) {
    static platform::testing::FakeMessages messages;
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(fyn::test::lastBox(messages).title, ""), "no box was shown");
    messages.show("Text", platform::Buttons::Ok, platform::Icon::None, "Rubrik");
    EXPECT_EQ(fyn::test::lastBox(messages).title, "Rubrik");
}

TEST(FakeModalHost, RunsTheScriptAndInsistsTheDialogCloses) {
    platform::testing::FakeModalHost host;
    QDialog dialog;
    dialog.setObjectName("Dlg");
    host.actions.push_back([](QDialog& d) { d.accept(); });
    host.runModal(dialog);
    EXPECT_EQ(host.shown, QStringList{"Dlg"});
    host.actions.push_back([](QDialog&) {});
    EXPECT_THROW(host.runModal(dialog), platform::testing::UnscriptedCall); // stayed open
    dialog.hide();
    EXPECT_THROW(host.runModal(dialog), platform::testing::UnscriptedCall); // no script left
}
