// Backup and restore on real folders standing in for drives: what is copied,
// what is never copied, and what a failure or a crash at any step leaves.
#include "services/BackupOps.h"
#include "core/Errors.h"
#include "core/SafeWrite.h"
#include "core/SafeWriteTesting.h"
#include "platform/SysError.h"
#include "services/BackupFixture.h"
#include "services/BackupTesting.h"

#include <QFile>
#include <QStorageInfo>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace fyn;
using namespace fyn::test;
namespace bt = fyn::backup_testing;
namespace sw = fyn::safewrite_testing;

namespace {

TEST(BackupNames, AFolderCountsOnlyAsTheKeyAndTwelveDigits) {
    struct Case {
        const char* folder;
        const char* key;
        bool backup;
    } cases[] = {
        {"Hushåll201608081405", "Hushåll", true},
        {"FynlarBU201608081405", "FynlarBU", true},
        {"Hushåll201608081405", "Hus", false},     // another account's backup
        {"hushåll201608081405", "Hushåll", false}, // case counts
        {"Hushåll20160808140", "Hushåll", false},  // eleven digits
        {"Hushåll2016080814050", "Hushåll", false},
        {"Hushåll2016-8081405", "Hushåll", false},
        {"FynlarBU201608081405.partial", "FynlarBU", false},
        {"201608081405", "", false}, // no account: no key
    };
    for (const Case& c : cases)
        EXPECT_EQ(backup::isBackupName(QString::fromUtf8(c.folder), QString::fromUtf8(c.key)),
                  c.backup)
            << c.folder << " / " << c.key;
}

TEST(BackupNames, TheStampIsOneReadingInAFixedForm) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(backup::stamp(QDateTime(QDate(2016, 8, 8), QTime(14, 5, 59))), "201608081405");
    EXPECT_EQ(backup::stamp(QDateTime(QDate(2026, 12, 10), QTime(0, 30))), "202612100030");
    QLocale::setDefault(before);
}

TEST(BackupNames, ANameThatCannotNameABackupIsRefused) {
    for (const char* bad : {"", "..", "a/b", "FynlarBU", "fynlarbu", ".dold"})
        EXPECT_FALSE(backup::accountKeyProblem(QString::fromUtf8(bad)).isEmpty()) << bad;
    EXPECT_TRUE(backup::accountKeyProblem("Hushåll").isEmpty());
    EXPECT_TRUE(backup::accountKeyProblem("FynlarBU2").isEmpty());
}

class BackupOps : public BackupData {
protected:
    void SetUp() override {
        writeData();
        // What must never be copied: the journal, the lock, and links to
        // what lies outside the data folder.
        writeFile(data() + "/.journal", "old journal");
        writeFile(data() + "/.lock", "");
        writeFile(outside.filePath("hemligt"), "not ours");
        QFile::link(outside.path(), data() + "/Länk");
        QFile::link(outside.filePath("hemligt"), accountFolder("Hushåll") + "/hemligt");
    }
    void TearDown() override {
        bt::armCrash(-1);
        sw::armCrash(-1, true);
    }
    // The tree as a backup holds it: no hidden entries, no links.
    static TreeSnapshot copyable(TreeSnapshot t) {
        std::erase_if(t, [](const auto& e) { return e.second == "<link>"; });
        return t;
    }
    std::vector<QString> offered() const {
        std::vector<QString> names;
        for (const backup::Folder& f : backup::listFolders(drive()))
            names.push_back(f.name);
        return names;
    }
    QTemporaryDir outside;
};

struct Scope {
    const char* name;
    std::function<QString()> source;
};

TEST_F(BackupOps, EachScopeIsCopiedFileByFileAndNothingElse) {
    // A file the user cannot write is copied with the default permissions.
    QFile::setPermissions(accountFile("Hushåll", "Kategori"), QFile::ReadOwner);
    const Scope scopes[] = {{"Hushåll202612091405", [] { return accountFolder("Hushåll"); }},
                            {"FynlarBU202612091405", [] { return dataFolder(); }}};
    for (const Scope& s : scopes) {
        const QString target = backup::makeBackup(s.source(), drive(), s.name);
        EXPECT_EQ(target, drive() + s.name);
        EXPECT_EQ(treeOf(target, true), copyable(treeOf(s.source())));
        EXPECT_TRUE(QFileInfo(target).isDir());
    }
    const QString copied = drive() + "FynlarBU202612091405/Hushåll/Kategori";
    EXPECT_TRUE(QFileInfo(copied).permissions() & QFile::WriteOwner);
    // Only the two backups lie on the drive: no staging folder is left.
    EXPECT_EQ(treeOf(drive(), true).count(".FynlarBU202612091405.partial"), 0u);
    EXPECT_EQ(offered(), (std::vector<QString>{"FynlarBU202612091405", "Hushåll202612091405"}));
}

TEST_F(BackupOps, ABackupOfTheSameMinuteReplacesTheOldOneWhole) {
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    QDir(accountFolder("Resa")).removeRecursively();
    writeFile(accountFile("Hushåll", "KontoData"), "changed");
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    EXPECT_EQ(treeOf(drive() + "FynlarBU202612091405"), copyable(treeOf(dataFolder())));
    EXPECT_EQ(treeOf(drive(), true).size(), treeOf(drive()).size()); // nothing hidden left
}

TEST_F(BackupOps, AFailedWriteLeavesNoFolderThatTheRestoreOffers) {
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091400");
    const TreeSnapshot before = treeOf(drive(), true);
    struct Failure {
        long long afterBytes;
        int syncFrom;
    } failures[] = {{0, -1}, {100, -1}, {600, -1}, {-1, 0}, {-1, 4}};
    for (const Failure& f : failures) {
        fakes.fileWrites->failAfterBytes = f.afterBytes;
        fakes.fileWrites->failSyncFrom = f.syncFrom;
        fakes.fileWrites->bytesWritten = 0;
        fakes.fileWrites->syncs = 0;
        QString left = "unset";
        try {
            backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405", &left);
            ADD_FAILURE() << "no failure after " << f.afterBytes << " bytes, sync " << f.syncFrom;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), platform::kDiskFull);
        }
        EXPECT_TRUE(left.isEmpty());
        EXPECT_EQ(treeOf(drive(), true), before) << f.afterBytes << " / " << f.syncFrom;
    }
    // A failed backup of the same name leaves the earlier one whole.
    fakes.fileWrites->failAfterBytes = 500;
    fakes.fileWrites->bytesWritten = 0;
    EXPECT_THROW(backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091400"), RuntimeError);
    EXPECT_EQ(treeOf(drive(), true), before);
}

TEST_F(BackupOps, ACrashAtAnyStepLeavesTheOldBackupOrTheNewOne) {
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    const TreeSnapshot oldOne = treeOf(drive() + "FynlarBU202612091405");
    writeFile(accountFile("Resa", "KontoData"), "newer postings");
    QDir(accountFolder("Hushåll")).removeRecursively();
    const TreeSnapshot newOne = copyable(treeOf(dataFolder()));
    int n = 0;
    for (;; ++n) {
        bt::armCrash(n);
        try {
            backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
        } catch (const bt::Crash&) {
            const TreeSnapshot now = treeOf(drive() + "FynlarBU202612091405");
            EXPECT_TRUE(now == oldOne || now == newOne) << "crash at step " << n;
            EXPECT_EQ(offered(), std::vector<QString>{"FynlarBU202612091405"});
            // Put back the old backup for the next round, as a crash after the
            // swap leaves the new one.
            if (now == newOne) {
                writeTree(drive() + "FynlarBU202612091405", oldOne);
            }
            continue;
        }
        break;
    }
    bt::armCrash(-1);
    EXPECT_GT(n, 10);
    // The run after the crashes clears what they left and stands alone.
    EXPECT_EQ(treeOf(drive() + "FynlarBU202612091405"), newOne);
    EXPECT_EQ(treeOf(drive(), true).size(), treeOf(drive()).size());
}

// A stick cannot exchange two folders: the old backup is moved aside and the
// new one in. A crash between leaves only hidden folders, which the next
// listing of the drive sorts out: the old backup under its name again.
TEST_F(BackupOps, OnADriveWithoutExchangeACrashLeavesTheOldBackupOrTheNewOne) {
    fakes.fileWrites->noExchange = true;
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    const TreeSnapshot oldOne = treeOf(drive() + "FynlarBU202612091405");
    writeFile(accountFile("Resa", "KontoData"), "newer postings");
    QDir(accountFolder("Hushåll")).removeRecursively();
    const TreeSnapshot newOne = copyable(treeOf(dataFolder()));
    int n = 0;
    bool betweenRenames = false;
    for (;; ++n) {
        bt::armCrash(n);
        try {
            backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
        } catch (const bt::Crash&) {
            bt::armCrash(-1);
            betweenRenames = betweenRenames || !QFileInfo::exists(drive() + "FynlarBU202612091405");
            EXPECT_EQ(offered(), std::vector<QString>{"FynlarBU202612091405"}) << "step " << n;
            const TreeSnapshot now = treeOf(drive() + "FynlarBU202612091405");
            EXPECT_TRUE(now == oldOne || now == newOne) << "crash at step " << n;
            // Nothing hidden stays behind the listing.
            EXPECT_EQ(treeOf(drive(), true), treeOf(drive())) << "crash at step " << n;
            if (now == newOne) {
                writeTree(drive() + "FynlarBU202612091405", oldOne);
            }
            continue;
        }
        break;
    }
    bt::armCrash(-1);
    EXPECT_TRUE(betweenRenames); // the window the exchange closes was tried
    EXPECT_EQ(treeOf(drive() + "FynlarBU202612091405"), newOne);
    EXPECT_EQ(treeOf(drive(), true).size(), treeOf(drive()).size());
}

// What an earlier run cut short, as the dialog finds it on the drive.
TEST_F(BackupOps, ListingADriveTidiesWhatABackupCutShortLeft) {
    backup::makeBackup(accountFolder("Resa"), drive(), "Resa202612091400");
    const TreeSnapshot resa = treeOf(drive() + "Resa202612091400");
    const auto copyTo = [&](const QString& name) { writeTree(drive() + name, resa); };
    copyTo(".Resa202612091405.old");     // set aside, its name free: back it comes
    copyTo(".Resa202612091400.old");     // set aside, the new one stands: it goes
    copyTo(".Resa202612091410.partial"); // never finished: it goes
    copyTo(".FynlarBU202612091405.partial");
    copyTo(".config.old"); // no backup's: left alone
    writeFile(drive() + ".Resa202612091415.old", "a file, not ours");
    EXPECT_EQ(offered(), (std::vector<QString>{"Resa202612091400", "Resa202612091405"}));
    EXPECT_EQ(treeOf(drive() + "Resa202612091405"), resa);
    QStringList hidden =
        QDir(drive()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    hidden.removeIf([](const QString& n) { return !n.startsWith('.'); });
    EXPECT_EQ(hidden, (QStringList{".Resa202612091415.old", ".config.old"}));
}

// Each rename of the new backup into its place is checked in that place: a
// file system that loses files on a rename gives no backup that the restore
// would offer, and the one it was to replace stays.
TEST_F(BackupOps, ABackupIsCheckedOnceMoreUnderItsFinalName) {
    struct Case {
        const char* what;
        bool older;
        bool exchange;
        int losingRename;
    } cases[] = {{"a new name", false, true, 0},
                 {"replacing one without exchange", true, false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(drive()).removeRecursively();
        QDir().mkpath(drive());
        fakes.fileWrites->noExchange = !c.exchange;
        fakes.fileWrites->loseFilesOnRename = -1;
        if (c.older)
            backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
        const TreeSnapshot before = treeOf(drive(), true);
        fakes.fileWrites->renames = 0;
        fakes.fileWrites->loseFilesOnRename = c.losingRename;
        try {
            backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
            ADD_FAILURE() << "a backup that lost its files was taken as made";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), platform::kDeviceIo);
        }
        fakes.fileWrites->loseFilesOnRename = -1;
        EXPECT_EQ(treeOf(drive(), true), before);
    }
}

TEST_F(BackupOps, ADriveInsideTheDataFolderIsRefused) {
    QDir().mkpath(dataFolder() + "/Hushåll/usb");
    try {
        backup::makeBackup(dataFolder(), dataFolder() + "/Hushåll/usb/", "FynlarBU202612091405");
        ADD_FAILURE() << "copied into itself";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.text(), platform::kPathFileAccess);
    }
    EXPECT_TRUE(QDir(dataFolder() + "/Hushåll/usb").isEmpty());
}

// ---- Restore ----------------------------------------------------------------------

TEST_F(BackupOps, ARestoreOfEachScopeBringsTheBackupBackAndKeepsWhatOnlyTheDataHas) {
    backup::makeBackup(accountFolder("Hushåll"), drive(), "Hushåll202612091405");
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    const TreeSnapshot account = treeOf(drive() + "Hushåll202612091405");
    const TreeSnapshot all = treeOf(drive() + "FynlarBU202612091405");

    writeFile(accountFile("Hushåll", "KontoData"), QByteArray(77 * 3, ' '));
    writeFile(accountFile("Hushåll", "Nyare"), "only here");
    // A read-only file of the medium comes back writable.
    QFile::remove(accountFile("Hushåll", "Kategori"));
    QFile::setPermissions(drive() + "Hushåll202612091405/Kategori", QFile::ReadOwner);
    backup::AccountBackup b =
        backup::readAccountBackup(drive() + "Hushåll202612091405", "Hushåll", "Bg");
    ASSERT_TRUE(b.refusal.isEmpty()) << b.refusal.toStdString();
    EXPECT_TRUE(b.named);
    backup::restoreAccount(b.tree, "Hushåll");
    TreeSnapshot expected = account;
    expected["Nyare"] = "only here";
    EXPECT_EQ(copyable(treeOf(accountFolder("Hushåll"))), expected);
    EXPECT_TRUE(QFileInfo(accountFile("Hushåll", "Kategori")).permissions() & QFile::WriteOwner);

    writeKontoIni("2\r\nBerit\r\n");
    writeFile(accountFile("Resa", "Transakt"), QByteArray(36, 'x'));
    QDir().mkpath(accountFolder("Senare"));
    backup::AllBackup a = backup::readAllBackup(drive() + "FynlarBU202612091405");
    ASSERT_TRUE(a.refusal.isEmpty()) << a.refusal.toStdString();
    EXPECT_TRUE(a.missing.empty());
    backup::restoreAll(a.tree);
    checkpoint();
    expected = all;
    expected["Hushåll/Nyare"] = "only here";
    expected["Senare"] = "<dir>"; // a newer account's folder is kept
    EXPECT_EQ(copyable(treeOf(dataFolder())), expected);
    EXPECT_EQ(readFile(data() + "/.lock"), ""); // hidden files stay as they were
}

// ramfs, and FUSE file systems without block counts, answer 0 total and 0
// free: room they do not count is unknown, not missing, and the restore goes
// on as postings there do.
TEST_F(BackupOps, ARestoreOnAFileSystemThatCountsNoBlocksIsNotRefusedAsFull) {
    RamFolder ram;
    if (const QString why = ram.mount(dataFolder()); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    writeData();
    ASSERT_EQ(QStorageInfo(dataFolder()).bytesTotal(), 0);
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    backup::makeBackup(accountFolder("Hushåll"), drive(), "Hushåll202612091405");
    const TreeSnapshot all = treeOf(drive() + "FynlarBU202612091405");

    writeFile(accountFile("Hushåll", "KontoData"), QByteArray(77 * 3, ' '));
    backup::AccountBackup b =
        backup::readAccountBackup(drive() + "Hushåll202612091405", "Hushåll", "Bg");
    ASSERT_TRUE(b.refusal.isEmpty()) << b.refusal.toStdString();
    backup::restoreAccount(b.tree, "Hushåll");
    EXPECT_EQ(copyable(treeOf(accountFolder("Hushåll"))), treeOf(drive() + "Hushåll202612091405"));

    writeFile(accountFile("Resa", "Transakt"), QByteArray(36, 'x'));
    backup::AllBackup a = backup::readAllBackup(drive() + "FynlarBU202612091405");
    ASSERT_TRUE(a.refusal.isEmpty()) << a.refusal.toStdString();
    backup::restoreAll(a.tree);
    checkpoint();
    EXPECT_EQ(copyable(treeOf(dataFolder())), all);
}

TEST_F(BackupOps, AForeignOrDamagedFolderIsRefused) {
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    auto folder = [&](const QString& name, const std::map<QString, QByteArray>& files) {
        for (const auto& [rel, bytes] : files) {
            QDir().mkpath(QFileInfo(drive() + name + "/" + rel).path());
            writeFile(drive() + name + "/" + rel, bytes);
        }
        return drive() + name;
    };
    const QByteArray budgetRecord =
        encodeRecord(budget("2026-01-01", "1", "0", "0", "0", "0", "0"));
    const QByteArray trans(36, ' ');
    struct Case {
        QString folder;
        QString slag;
        const char* said; // a word of the refusal
    } accountCases[] = {
        {folder("Semester", {{"bild.jpg", "jpeg"}}), "Ek", "KontoData"},
        {drive() + "FynlarBU202612091405", "Ek", "KontoFil"},
        // A budget account's postings where a simple account is restored.
        {folder("Resa202612090001", {{"KontoData", budgetRecord.repeated(2)}, {"Transakt", trans}}),
         "Ek", "postlängden"},
        // 43 budget records fill as many bytes as 77 simple ones: the dates tell.
        {folder("Resa202612090002",
                {{"KontoData", budgetRecord.repeated(43)}, {"Transakt", trans}}),
         "Ek", "datum"},
        {folder("Resa202612090003", {{"KontoData", ""}, {"Transakt", trans.left(35)}}), "Ek",
         "Transakt"},
        {dataFolder(), "Ek", "datamapp"},
        {accountFolder("Resa"), "Ek", "datamapp"},
    };
    QFile::link(outside.filePath("hemligt"),
                folder("Resa202612090004", {{"Transakt", trans}}) + "/KontoData");
    for (const Case& c : accountCases) {
        const backup::AccountBackup b = backup::readAccountBackup(c.folder, "Resa", c.slag);
        EXPECT_TRUE(b.refusal.contains(QString::fromUtf8(c.said)))
            << c.folder.toStdString() << ": " << b.refusal.toStdString();
    }
    EXPECT_TRUE(backup::readAccountBackup(drive() + "Resa202612090004", "Resa", "Ek")
                    .refusal.contains("symbolisk länk"));

    const QByteArray reg = readFile(kontoFilPath());
    struct AllCase {
        QString folder;
        const char* said;
    } allCases[] = {
        {folder("FynlarBU202612090001", {{"KontoIni", "1\r\nA\r\n"}}), "KontoFil"},
        {folder("FynlarBU202612090002", {{"KontoFil", reg.left(81)}}), "KontoFil"},
        {folder("FynlarBU202612090003", {{"KontoFil", reg},
                                         {"Resa/KontoData", "x"},
                                         {"Resa/Transakt", trans},
                                         {"Hushåll/KontoData", budgetRecord},
                                         {"Hushåll/Transakt", trans}}),
         "Resa"},
    };
    for (const AllCase& c : allCases) {
        const backup::AllBackup b = backup::readAllBackup(c.folder);
        EXPECT_TRUE(b.refusal.contains(QString::fromUtf8(c.said)))
            << c.folder.toStdString() << ": " << b.refusal.toStdString();
    }
}

TEST_F(BackupOps, TheBackupsOwnRegisterNamesTheAccountsItLacks) {
    // Slot 2 carries the fund-account mark, slot 3 is free.
    openRecordFile<KontoFilPost>(kontoFilPath())
        .put(2, KontoFilPost{QStringLiteral("Resa") + QChar(6), "1", "Ek", "\\FynData\\"});
    blankSlot(3);
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    QDir(drive() + "FynlarBU202612091405/Resa").removeRecursively();
    // An account made since then is no question: the backup never had it.
    QDir().mkpath(accountFolder("Senare"));
    const backup::AllBackup b = backup::readAllBackup(drive() + "FynlarBU202612091405");
    EXPECT_TRUE(b.refusal.isEmpty()) << b.refusal.toStdString();
    EXPECT_EQ(b.registerCount, 3);
    ASSERT_EQ(b.missing.size(), 1u);
    EXPECT_EQ(b.missing[0].record, 2);
    EXPECT_EQ(b.missing[0].name, "Resa");
}

// A name that fills the register's 35 bytes is an account like any other:
// copied, checked and written back whole, with nothing left out.
TEST_F(BackupOps, AnAccountWhoseNameFillsTheRegisterIsBackedUpAndRestoredWhole) {
    FixtureAccount full = resa();
    full.name = QString(34, QChar(0xE5)) + "x";
    writeAccount(full, 3);
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    const TreeSnapshot all = treeOf(drive() + "FynlarBU202612091405");
    ASSERT_EQ(all.count(full.name + "/KontoData"), 1u);
    writeFile(accountFile(full.name, "KontoData"), QByteArray(43 * 2, ' '));
    const backup::AllBackup b = backup::readAllBackup(drive() + "FynlarBU202612091405");
    EXPECT_TRUE(b.refusal.isEmpty()) << b.refusal.toStdString();
    EXPECT_TRUE(b.leftOut.empty());
    EXPECT_TRUE(b.missing.empty());
    backup::restoreAll(b.tree);
    checkpoint();
    EXPECT_EQ(copyable(treeOf(dataFolder())), all);

    // One account's backup of it, too.
    backup::makeBackup(accountFolder(full.name), drive(), full.name + "202612091405");
    writeFile(accountFile(full.name, "KontoData"), QByteArray(43 * 2, ' '));
    const backup::AccountBackup a =
        backup::readAccountBackup(drive() + full.name + "202612091405", full.name, "Ek");
    EXPECT_TRUE(a.refusal.isEmpty()) << a.refusal.toStdString();
    EXPECT_TRUE(a.named);
    backup::restoreAccount(a.tree, full.name);
    EXPECT_EQ(treeOf(accountFolder(full.name)), treeOf(drive() + full.name + "202612091405"));
}

// What the restore cannot bring back (a folder or a registered name that can
// name no folder of the data folder) is named with the reason, never dropped
// without a word.
TEST_F(BackupOps, WhatARestoreCannotBringBackIsNamed) {
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    const QString backupDir = drive() + "FynlarBU202612091405";
    QDir().mkpath(backupDir + "/Mat:Hyra");
    writeFile(backupDir + "/Mat:Hyra/KontoData", "x");
    QDir().mkpath(backupDir + "/" + QString(36, 'k'));
    writeFile(backupDir + "/KontoFil",
              readFile(backupDir + "/KontoFil") +
                  encodeRecord(KontoFilPost{"../Utanför", "1", "Ek", "\\FynData\\"}));
    const backup::AllBackup b = backup::readAllBackup(backupDir);
    ASSERT_TRUE(b.refusal.isEmpty()) << b.refusal.toStdString();
    std::map<QString, QString> said;
    for (const backup::LeftOut& l : b.leftOut)
        said[l.name] = l.why;
    ASSERT_EQ(said.size(), 3u);
    EXPECT_TRUE(said["Mat:Hyra"].contains("':'"));
    EXPECT_TRUE(said[QString(36, 'k')].contains("för långt"));
    EXPECT_TRUE(said["../Utanför"].contains("punkt"));
    // Left where they are: nothing of them is in what would be written.
    for (const backup::TreeFile& f : b.tree.files)
        EXPECT_FALSE(f.rel.startsWith("Mat:Hyra")) << f.rel.toStdString();
    EXPECT_FALSE(b.tree.folders.contains("Mat:Hyra"));
}

// A file of the backup where the data folder or the backup's register has a
// folder, or the other way round, is no backup to write back.
TEST_F(BackupOps, AFileWhereAFolderBelongsIsRefusedBeforeAnythingIsWritten) {
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091400");
    const QString all = drive() + "FynlarBU202612091400";
    QDir(all + "/Resa").removeRecursively();
    writeFile(all + "/Resa", "a file where the account's folder should be");
    backup::AllBackup b = backup::readAllBackup(all);
    EXPECT_TRUE(b.refusal.contains("'Resa'")) << b.refusal.toStdString();

    backup::makeBackup(accountFolder("Resa"), drive(), "Resa202612091400");
    const QString one = drive() + "Resa202612091400";
    QDir().mkpath(accountFolder("Resa") + "/Bilagor");
    writeFile(one + "/Bilagor", "a file where the data has a folder");
    backup::AccountBackup a = backup::readAccountBackup(one, "Resa", "Ek");
    EXPECT_TRUE(a.refusal.contains("'Bilagor'")) << a.refusal.toStdString();

    QFile::remove(one + "/Bilagor");
    QDir().mkpath(one + "/Kategori.d");
    writeFile(accountFolder("Resa") + "/Kategori.d", "a file where the backup has a folder");
    a = backup::readAccountBackup(one, "Resa", "Ek");
    EXPECT_TRUE(a.refusal.contains("'Kategori.d'")) << a.refusal.toStdString();

    // A link in the data folder is not written through.
    QDir(one + "/Kategori.d").removeRecursively();
    QFile::remove(accountFolder("Resa") + "/Kategori.d");
    QFile::remove(accountFile("Resa", "Kategori"));
    QFile::link(outside.filePath("hemligt"), accountFile("Resa", "Kategori"));
    a = backup::readAccountBackup(one, "Resa", "Ek");
    EXPECT_TRUE(a.refusal.contains("symbolisk länk") && a.refusal.contains("'Kategori'"))
        << a.refusal.toStdString();
    EXPECT_EQ(readFile(outside.filePath("hemligt")), "not ours");
}

// A name that is not text cannot be written back as it was: refused as such,
// not as a link.
TEST_F(BackupOps, AFileWhoseNameIsNotTextIsRefusedForThatReason) {
    backup::makeBackup(accountFolder("Resa"), drive(), "Resa202612091400");
    const QByteArray folder = QFile::encodeName(drive() + "Resa202612091400/");
    FILE* f = std::fopen((folder + "Kvitto\xe5.txt").constData(), "w"); // Latin-1 "å"
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const backup::AccountBackup a =
        backup::readAccountBackup(drive() + "Resa202612091400", "Resa", "Ek");
    EXPECT_TRUE(a.refusal.contains("UTF-8")) << a.refusal.toStdString();
    EXPECT_FALSE(a.refusal.contains("symbolisk länk")) << a.refusal.toStdString();
}

// Before a copy to a drive for Windows: the first name it cannot take, with
// the account it belongs to.
TEST_F(BackupOps, ANameADriveForWindowsCannotHoldIsFoundWithItsAccount) {
    EXPECT_TRUE(backup::stickProblem(dataFolder(), QString()).isEmpty());
    EXPECT_TRUE(backup::stickProblem(accountFolder("Resa"), "Resa").isEmpty());
    writeAccount(
        [&] {
            FixtureAccount a = resa();
            a.name = "Bil?";
            return a;
        }(),
        3);
    const QString bil = backup::stickProblem(dataFolder(), QString());
    EXPECT_TRUE(bil.contains("'Bil?'") && bil.contains("'?'")) << bil.toStdString();
    EXPECT_TRUE(backup::stickProblem(accountFolder("Bil?"), "Bil?").contains("'Bil?'"));
    QDir(accountFolder("Bil?")).removeRecursively();
    blankSlot(3);

    writeFile(accountFolder("Resa") + "/Kvitto|1", "x");
    const QString inner = backup::stickProblem(accountFolder("Resa"), "Resa");
    EXPECT_TRUE(inner.contains("'Resa'") && inner.contains("Kvitto|1")) << inner.toStdString();
    QFile::remove(accountFolder("Resa") + "/Kvitto|1");

    QDir().mkpath(accountFolder("HUSHÅLL"));
    const QString twins = backup::stickProblem(dataFolder(), QString());
    EXPECT_TRUE(twins.contains("'HUSHÅLL'") && twins.contains("'Hushåll'")) << twins.toStdString();
    // One account alone has no twin.
    EXPECT_TRUE(backup::stickProblem(accountFolder("Hushåll"), "Hushåll").isEmpty());
}

// A restore that fails at any write point is refused with nothing changed,
// or it stands and is finished whole before anything more is read.
TEST_F(BackupOps, ARestoreThatFailsPartWayIsRefusedWholeOrFinished) {
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    writeFile(accountFile("Resa", "KontoData"), encodeRecord(enkel("2026-04-01", "1", "0", "0")));
    writeKontoIni("2\r\nBerit\r\n");
    const TreeSnapshot before = treeOf(dataFolder());
    const backup::AllBackup b = backup::readAllBackup(drive() + "FynlarBU202612091405");
    sw::armCrash(-1, true);
    backup::restoreAll(b.tree);
    checkpoint();
    const TreeSnapshot restored = treeOf(dataFolder());
    const int points = sw::pointsPassed();
    int refused = 0, finished = 0;
    for (int point = 0; point < points; ++point) {
        writeData();
        QFile::remove(accountFile("Resa", "Kategori"));
        writeFile(accountFile("Resa", "Kategori"), "");
        writeFile(accountFile("Resa", "KontoData"),
                  encodeRecord(enkel("2026-04-01", "1", "0", "0")));
        writeKontoIni("2\r\nBerit\r\n");
        setJournalPath(journalPath());
        ASSERT_EQ(treeOf(dataFolder()), before);
        sw::armFailure({point}, EIO); // a full disk would be tried again
        bool threw = false;
        try {
            backup::restoreAll(b.tree);
        } catch (const RuntimeError&) {
            threw = true;
        }
        sw::armCrash(-1, true);
        checkpoint();
        EXPECT_EQ(treeOf(dataFolder()), threw ? before : restored)
            << "failure at write point " << point;
        ++(threw ? refused : finished);
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(finished, 0);
}

// A crash at each step of a restore, then the start that follows: the data
// folder holds what it held or the whole backup.
TEST_F(BackupOps, ACrashAtAnyStepOfARestoreLeavesTheOldDataOrTheNew) {
    backup::makeBackup(accountFolder("Hushåll"), drive(), "Hushåll202612091405");
    backup::makeBackup(dataFolder(), drive(), "FynlarBU202612091405");
    auto older = [&] {
        QDir(dataFolder()).removeRecursively();
        QDir().mkpath(dataFolder());
        writeData();
        writeFile(accountFile("Hushåll", "KontoData"),
                  encodeRecord(budget("2027-01-01", "1", "5", "5", "5", "5", "0")).repeated(4));
        writeFile(accountFile("Resa", "Kategori"), QByteArray(35, 'k'));
        writeKontoIni("2\r\nBerit\r\n");
    };
    struct Run {
        const char* scope;
        std::function<void()> restore;
    } runs[] = {
        {"Detta konto",
         [&] {
             backup::restoreAccount(
                 backup::readAccountBackup(drive() + "Hushåll202612091405", "Hushåll", "Bg").tree,
                 "Hushåll");
             checkpoint();
         }},
        {"Alla konton",
         [&] {
             backup::restoreAll(backup::readAllBackup(drive() + "FynlarBU202612091405").tree);
             checkpoint();
         }},
    };
    for (const Run& run : runs) {
        older();
        const TreeSnapshot oldData = treeOf(dataFolder());
        run.restore();
        const TreeSnapshot newData = treeOf(dataFolder());
        ASSERT_NE(oldData, newData);
        // The steps of our own, then every write point of the commit.
        for (bool ownSteps : {true, false}) {
            int n = 0;
            for (;; ++n) {
                older();
                ownSteps ? bt::armCrash(n) : sw::armCrash(n, true);
                bool crashed = false;
                try {
                    run.restore();
                } catch (const bt::Crash&) {
                    crashed = true;
                } catch (const sw::Crash&) {
                    crashed = true;
                }
                bt::armCrash(-1);
                sw::armCrash(-1, true);
                if (!crashed)
                    break;
                // The next start: the journal is read again and replayed.
                setJournalPath(journalPath());
                recoverJournal();
                const TreeSnapshot now = treeOf(dataFolder());
                EXPECT_TRUE(now == oldData || now == newData)
                    << run.scope << ": crash at " << (ownSteps ? "step " : "write point ") << n;
            }
            EXPECT_GT(n, ownSteps ? 1 : 4) << run.scope;
        }
    }
}

// A stick formatted FAT, which refuses owners, permissions and some names.
TEST_F(BackupOps, ABackupOnAFatStickCanBeRestored) {
    LoopImage image;
    if (const QString why = image.mount("vfat", 8 << 20, {}, "shortname=mixed"); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const QString stick = image.root();
    const QString target = backup::makeBackup(dataFolder(), stick, "FynlarBU202612091405");
    const TreeSnapshot copied = treeOf(target);
    writeFile(accountFile("Resa", "KontoData"), QByteArray(43, ' '));
    backup::AllBackup b = backup::readAllBackup(target);
    EXPECT_TRUE(b.refusal.isEmpty()) << b.refusal.toStdString();
    backup::restoreAll(b.tree);
    EXPECT_EQ(copyable(treeOf(dataFolder())), copied);
}

// A real exFAT stick: it cannot exchange folders, so a backup of the same
// minute goes through the two renames, and a crash at any step of it leaves
// the old backup or the new one under its name once the drive is listed. What
// is on the stick is then restored byte for byte.
TEST_F(BackupOps, OnAnExfatStickACrashLeavesABackupAndItIsRestoredWhole) {
    LoopImage stick;
    if (const QString why = stick.mount("exfat", 16 << 20, {}, {}, "mount.exfat-fuse");
        !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const QString root = stick.root();
    EXPECT_TRUE(backup::windowsNamesOnly(root));
    EXPECT_FALSE(backup::windowsNamesOnly(drive()));
    const QString name = "FynlarBU202612091405";
    backup::makeBackup(dataFolder(), root, name);
    const TreeSnapshot oldOne = treeOf(root + name);
    EXPECT_EQ(oldOne, copyable(treeOf(dataFolder())));
    writeFile(accountFile("Resa", "KontoData"), encodeRecord(enkel("2026-04-01", "1", "0", "0")));
    const TreeSnapshot newOne = copyable(treeOf(dataFolder()));
    const auto listed = [&] {
        std::vector<QString> names;
        for (const backup::Folder& f : backup::listFolders(root))
            names.push_back(f.name);
        return names;
    };
    bool betweenRenames = false;
    int n = 0;
    for (;; ++n) {
        bt::armCrash(n);
        try {
            backup::makeBackup(dataFolder(), root, name);
        } catch (const bt::Crash&) {
            bt::armCrash(-1);
            betweenRenames = betweenRenames || !QFileInfo::exists(root + name);
            EXPECT_EQ(listed(), std::vector<QString>{name}) << "crash at step " << n;
            const TreeSnapshot now = treeOf(root + name);
            EXPECT_TRUE(now == oldOne || now == newOne) << "crash at step " << n;
            EXPECT_EQ(treeOf(root, true), treeOf(root)) << "crash at step " << n;
            continue;
        }
        break;
    }
    bt::armCrash(-1);
    EXPECT_TRUE(betweenRenames);
    EXPECT_EQ(treeOf(root + name), newOne);

    writeFile(accountFile("Resa", "KontoData"), QByteArray(43, ' '));
    backup::AllBackup b = backup::readAllBackup(root + name);
    ASSERT_TRUE(b.refusal.isEmpty()) << b.refusal.toStdString();
    backup::restoreAll(b.tree);
    checkpoint();
    EXPECT_EQ(copyable(treeOf(dataFolder())), newOne);
}

} // namespace
