#pragma once
// A small data folder of two accounts, folders standing in for drives, and
// what a folder tree holds, for the tests of backup and restore.
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "support/AccountFixture.h"
#include "support/LoopImage.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>
#include <ostream>
#include <unistd.h>

namespace fyn::test {

// Every file and folder under root, relative: a folder's content is "<dir>".
// Hidden entries only when asked for.
using TreeSnapshot = std::map<QString, QByteArray>;

inline TreeSnapshot treeOf(const QString& root, bool hidden = false) {
    TreeSnapshot out;
    QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System;
    if (hidden)
        filters |= QDir::Hidden;
    QDirIterator it(root, filters, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString rel = QDir(root).relativeFilePath(info.filePath());
        out[rel] = info.isSymLink() ? QByteArray("<link>")
                   : info.isDir()   ? QByteArray("<dir>")
                                    : readFile(info.filePath());
    }
    return out;
}

// Writes a snapshot back as the folder root (made anew), its folders and files.
inline void writeTree(const QString& root, const TreeSnapshot& tree) {
    QDir(root).removeRecursively();
    QDir().mkpath(root);
    for (const auto& [rel, bytes] : tree) {
        const QString p = root + "/" + rel;
        bytes == "<dir>" ? (void)QDir().mkpath(p) : writeFile(p, bytes);
    }
}

} // namespace fyn::test

// Short in a failure: the names and sizes.
inline void PrintTo(const fyn::test::TreeSnapshot& s, std::ostream* os) {
    for (const auto& [rel, bytes] : s)
        *os << rel.toStdString() << "(" << bytes.size() << ") ";
}

namespace fyn::test {

// Two accounts and the data folder's own files.
class BackupData : public Sandbox {
protected:
    FixtureAccount hushall() const {
        FixtureAccount a;
        a.name = "Hushåll";
        a.slag = "Bg";
        a.postings = {encodeRecord(budget("2026-01-01", "1", "0", "0", "0", "0", "0")),
                      encodeRecord(budget("2026-02-01", "3", "-120", "-120", "-120", "-120", "0"))};
        a.kategori = {"Mat"};
        return a;
    }
    FixtureAccount resa() const {
        FixtureAccount a;
        a.name = "Resa";
        a.slag = "Ek";
        a.postings = {encodeRecord(enkel("2026-03-01", "1", "0", "0")),
                      encodeRecord(enkel("2026-03-02", "2", "500", "500"))};
        return a;
    }
    void writeData() {
        writeAccount(hushall(), 1);
        writeAccount(resa(), 2);
        writeKontoIni("1\r\nAnna\r\n");
        writeFile(posFilPath(), QByteArray(140, ' '));
        writeFile(accountFile("Hushåll", "B-mall"), QByteArray(18, ' '));
    }
    QString data() const { return dataFolder(); }
    QString drive() const { return driveDir.path() + QLatin1Char('/'); }

    QTemporaryDir driveDir;
};

} // namespace fyn::test
