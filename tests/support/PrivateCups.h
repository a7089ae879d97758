#pragma once
// A CUPS of the test's own (private-cups.sh): started with its queues, used by
// this process through its socket, stopped again, and gone with the test even
// when the test dies.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace fyn::test {

class PrivateCups {
public:
    // Starts the server with a cups-pdf queue for each name and points this
    // process's CUPS library at it.
    explicit PrivateCups(const QStringList& queues);
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    bool running() const { return reason_.isEmpty(); }
    // Why it could not start.
    const QString& reason() const { return reason_; }
    QString socket() const;
    // Where the queues put their PDF files.
    QString outFolder() const;
    // Runs a CUPS command (cupsreject, lpadmin, ...) against this server; true
    // when it succeeded.
    bool command(const QString& program, const QStringList& args);
    // The PDF files in the out folder once at least count jobs have been
    // completed, or what is there after a minute.
    QStringList waitForFiles(int count) const;

private:
    QTemporaryDir dir_;
    QProcess server_;
    QString reason_;
};

} // namespace fyn::test
