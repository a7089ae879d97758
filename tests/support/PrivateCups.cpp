#include "support/PrivateCups.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <csignal>
#include <cups/cups.h>
#include <sys/prctl.h>

namespace fyn::test {

namespace {

const QString kScript = QStringLiteral(FYN_TEST_SOURCE_DIR "/support/private-cups.sh");

QString run(const QStringList& args, bool& ok) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("/bin/bash"), args);
    ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromLocal8Bit(p.readAll()).trimmed();
}

} // namespace

// A short folder of its own: cups-pdf and the socket take only short paths.
PrivateCups::PrivateCups(const QStringList& queues) : dir_(QStringLiteral("/tmp/fyncups-XXXXXX")) {
    if (!dir_.isValid()) {
        reason_ = QStringLiteral("no scratch folder for CUPS");
        return;
    }
    // The server ends with this process, however it ends.
    server_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.start(QStringLiteral("/bin/bash"), {kScript, QStringLiteral("serve"), dir_.path()});
    if (!server_.waitForStarted(10000)) {
        reason_ = QStringLiteral("private-cups.sh did not start");
        return;
    }
    // Up once its socket is there; a server that cannot start ends at once
    // and says why.
    const QDeadlineTimer deadline(60000);
    while (!QFileInfo::exists(socket()) && server_.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        server_.waitForFinished(50);
    if (server_.state() == QProcess::NotRunning) {
        reason_ = QStringLiteral("no private CUPS: ") +
                  QString::fromLocal8Bit(server_.readAll()).trimmed();
        return;
    }
    for (const QString& q : queues) {
        bool ok = false;
        const QString out = run({kScript, QStringLiteral("queue"), dir_.path(), q}, ok);
        if (!ok) {
            server_.waitForFinished(100);
            const QString said = QString::fromLocal8Bit(server_.readAll()).trimmed();
            reason_ = QStringLiteral("no private CUPS: ") + (said.isEmpty() ? out : said);
            return;
        }
    }
    cupsSetServer(QFile::encodeName(socket()).constData());
}

PrivateCups::~PrivateCups() {
    cupsSetServer(nullptr);
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(30000)) {
            server_.kill();
            server_.waitForFinished(10000);
        }
    }
}

QString PrivateCups::socket() const {
    return dir_.filePath(QStringLiteral("cups.sock"));
}

QString PrivateCups::outFolder() const {
    return dir_.filePath(QStringLiteral("out"));
}

bool PrivateCups::command(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, QStringList{QStringLiteral("-h"), socket()} + args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QStringList PrivateCups::waitForFiles(int count) const {
    // A job is done, its file whole, once the print system counts it completed.
    const QDeadlineTimer deadline(60000);
    for (;;) {
        cups_job_t* jobs = nullptr;
        const int done =
            cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_COMPLETED);
        cupsFreeJobs(done, jobs);
        if (done >= count || deadline.hasExpired())
            break;
        QThread::msleep(50);
    }
    return QDir(outFolder()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

} // namespace fyn::test
