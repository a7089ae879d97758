#pragma once
// Backup and restore of the program's data, free of widgets: the names of the
// backup folders, our own copy of a folder tree to a drive, and the reading and
// checking of a backup before it is written back through the commit layer.
//
// A copy reads and writes plain files and folders only: no link is followed or
// copied, hidden entries (the journal, the lock, unfinished copies) stay where
// they are, and no owner or permission is carried over (a FAT stick refuses it).
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace fyn::backup {

// The stem of a backup of every account.
inline const QString kAllStem = QStringLiteral("FynlarBU");

// The stamp of a backup folder: yyyyMMddHHmm.
QString stamp(const QDateTime& when);

// Whether a folder's name is key followed by exactly twelve digits.
bool isBackupName(const QString& folderName, const QString& key);

// Why an account's name cannot stand in the name of its backups; empty when
// it can.
QString accountKeyProblem(const QString& kontoNamn);

// Whether the drive's file system holds only the names Windows allows (FAT,
// exFAT, NTFS, a Windows share), and cannot tell upper from lower case.
bool windowsNamesOnly(const QString& root);

// Why a copy of source cannot go to such a drive: a name in it that the drive
// cannot hold, or two that differ only in case, said with the account it
// belongs to. account names the one account source is the folder of; empty:
// source is the data folder, whose folders are the accounts. Empty when it
// can. Throws a RuntimeError when source cannot be read.
QString stickProblem(const QString& source, const QString& account);

// The folders directly in a drive's root that a user may pick, in name order:
// no link and no hidden folder. What a backup cut short left is tidied first:
// an older backup that was set aside comes back under its own name when no
// newer one took it, and unfinished copies are removed. Throws a RuntimeError
// when the root cannot be read.
struct Folder {
    QString name;
    QString path;
};
std::vector<Folder> listFolders(const QString& root);

// A folder tree as read from disk, paths relative and "/"-separated, each
// folder before what it holds.
struct TreeFile {
    QString rel;
    qint64 size = 0;
    QByteArray bytes;
};
struct Tree {
    QStringList folders;
    std::vector<TreeFile> files;
    QStringList passedOver; // links, devices and the like
    QStringList misnamed;   // entries whose names are not text (not UTF-8)
    qint64 bytes() const;
};

// Whether a and b are the same folder or one lies inside the other.
bool overlap(const QString& a, const QString& b);

// ---- Backup ------------------------------------------------------------------

// Copies the folder source (the data folder or an account's folder) to
// driveRoot + finalName: into a hidden staging folder first, which is checked
// against what was copied (the file list and the sizes) and synced, and only
// then renamed, and checked once more under its final name. A backup of the
// same name is replaced whole, and kept until the new one stands checked.
// Returns the backup's path. Throws a RuntimeError; the staging folder is then removed,
// and *stagingLeft names it when it could not be.
QString makeBackup(const QString& source, const QString& driveRoot, const QString& finalName,
                   QString* stagingLeft = nullptr);

// ---- Restore -----------------------------------------------------------------

// A backup folder of one account, read whole and checked against the account:
// its layout and lengths first, and only then its bytes.
struct AccountBackup {
    QString refusal;    // why it is no backup of the account; empty when it is
    bool named = false; // its name is the account's name and a stamp
    Tree tree;
};
// kontoSlag is the account's kind, "Ek" or "Bg": its files must have that
// kind's record lengths, and none may stand where the account's folder has a
// folder (or the other way round). Throws a RuntimeError when the folder cannot
// be read.
AccountBackup readAccountBackup(const QString& folder, const QString& kontoNamn,
                                const QString& kontoSlag);

// An account of a backup's register.
struct RegisterName {
    long record = 0;
    QString name;
};

// A folder of a backup, or an account of its register, that a restore cannot
// bring back, and why.
struct LeftOut {
    QString name;
    QString why;
};

// A backup folder of every account, read whole and checked.
struct AllBackup {
    QString refusal;
    bool named = false;
    long registerCount = 0;            // records in the backup's KontoFil
    std::vector<RegisterName> missing; // listed there without a folder of their own
    std::vector<LeftOut> leftOut;      // names that can be no account's folder
    Tree tree;                         // without what is left out
};
AllBackup readAllBackup(const QString& folder);

// ---- A folder the register does not list -------------------------------------

// The account folders in the data folder that its register does not list, in
// name order: a restore of every account from a backup older than an account
// leaves that account's folder so. Throws a RuntimeError when the data folder
// or its register cannot be read.
QStringList unlistedAccountFolders();

// Such a folder of the data folder, read whole and checked as a restore checks
// an account's backup, to be taken up again as an account. slag is the kind
// its files are, "Bg" or "Ek" (chosen, when they would do for either);
// postings the records of KontoData that hold a posting. Throws a
// RuntimeError when the folder cannot be read.
struct LeftAccount {
    QString refusal; // why it can be no account; empty when it can
    QString slag;
    long postings = 0;
};
LeftAccount readLeftAccount(const QString& kontoNamn, const QString& chosen);

// Writes a checked backup over the account's folder, or over the data folder,
// as one commit: files of the same name replaced, what only the data folder
// holds kept. Throws a RuntimeError; then nothing has changed. Once it returns
// the restore stands (a crash from there on is replayed at the next start);
// checkpoint() then puts it in the files themselves.
void restoreAccount(const Tree& tree, const QString& kontoNamn);
void restoreAll(const Tree& tree);

} // namespace fyn::backup
