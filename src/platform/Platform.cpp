#include "platform/Platform.h"

#include "platform/FileDialogs.h"
#include "platform/Printer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <cstdlib>

namespace platform {

bool removableDevice(const QString& device); // Mounts.cpp

namespace {

class QtMessageBoxes final : public MessageBoxes {
public:
    Answer show(const QString& text, Buttons buttons, Icon icon, const QString& title) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title);
        box.setText(text);
        box.setTextFormat(Qt::PlainText);
        switch (icon) {
        case Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        }
        if (buttons == Buttons::Ok) {
            box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
            box.exec();
            return Answer::Ok;
        }
        QPushButton* yes = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Nej"), QMessageBox::NoRole);
        QPushButton* cancel = buttons == Buttons::YesNoCancel
                                  ? box.addButton(QStringLiteral("Avbryt"), QMessageBox::RejectRole)
                                  : nullptr;
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel ? cancel : no);
        box.exec();
        if (cancel && box.clickedButton() == cancel)
            return Answer::Cancel;
        return box.clickedButton() == no ? Answer::No : Answer::Yes;
    }
};

class QtModalHost final : public ModalHost {
public:
    void runModal(QDialog& dialog) override { dialog.exec(); }
};

class SystemClock final : public Clock {
public:
    SystemClock() { timer_.start(); }
    QDate today() override { return QDate::currentDate(); }
    QTime timeOfDay() override { return QTime::currentTime(); }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    double secondsSinceMidnight() override {
        return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
    }
    double monotonicSeconds() override { return timer_.nsecsElapsed() / 1e9; }
    void processEvents() override {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5); // a wait, not a busy loop
    }

private:
    QElapsedTimer timer_;
};

class SystemDrives final : public Drives {
public:
    QString driveRoot(const QString& startFolder) override {
        const QString home = QDir::cleanPath(QDir::homePath());
        const QString start = QDir::cleanPath(QDir(startFolder).absolutePath());
        if (start == home || start.startsWith(home + QLatin1Char('/')))
            return withSlash(home);
        const QString mount = mountPointOf(start);
        if (mount.isEmpty() || mount == QLatin1String("/"))
            return withSlash(home);
        return withSlash(mount);
    }

    std::vector<DriveInfo> list(const QString& driveRoot) override {
        QFile f(QStringLiteral("/proc/self/mounts"));
        const QByteArray mounts = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        return drivesFromMounts(mounts, driveRoot, removableDevice);
    }

private:
    static QString withSlash(const QString& p) {
        return p.endsWith(QLatin1Char('/')) ? p : p + QLatin1Char('/');
    }
    // The longest mount point that holds path.
    static QString mountPointOf(const QString& path) {
        QFile f(QStringLiteral("/proc/self/mounts"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QString best;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() < 2)
                continue;
            // Blanks and the like are written as octal escapes.
            QString mp = QString::fromLocal8Bit(parts[1])
                             .replace(QLatin1String("\\040"), QLatin1String(" "))
                             .replace(QLatin1String("\\011"), QLatin1String("\t"))
                             .replace(QLatin1String("\\134"), QLatin1String("\\"));
            const bool holds =
                mp == QLatin1String("/") || path == mp || path.startsWith(mp + QLatin1Char('/'));
            if (holds && mp.size() > best.size())
                best = mp;
        }
        return best;
    }
};

class BrowserHelp final : public Help {
public:
    explicit BrowserHelp(QString folder) : folder_(std::move(folder)) {}
    void showContext(int contextId) override {
        const QString page = folder_ + QStringLiteral("/%1.html").arg(contextId);
        if (QFileInfo(page).isFile())
            QDesktopServices::openUrl(QUrl::fromLocalFile(page));
    }

private:
    QString folder_;
};

class DesktopShell final : public Shell {
public:
    void openUrl(const QString& url) override { QDesktopServices::openUrl(QUrl(url)); }
};

class ExitProgram final : public ProgramEnd {
public:
    [[noreturn]] void endNow() override { std::exit(0); }
};

struct Registry {
    std::unique_ptr<MessageBoxes> messages;
    std::unique_ptr<ModalHost> modal;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Drives> drives;
    std::unique_ptr<Ftp> ftp;
    std::unique_ptr<ProgramEnd> end;
    std::unique_ptr<Help> help;
    std::unique_ptr<Shell> shell;
};

Registry& registry() {
    static Registry r;
    return r;
}

template <class T> T& need(const std::unique_ptr<T>& p) {
    if (!p)
        std::abort(); // a service was used before main or a test installed it
    return *p;
}

} // namespace

std::unique_ptr<Ftp> makeCurlFtp(); // FtpCurl.cpp

AuthorServer& authorServer() {
    static AuthorServer s;
    return s;
}

MessageBoxes& messages() {
    return need(registry().messages);
}
ModalHost& modalHost() {
    return need(registry().modal);
}
Clock& clock() {
    return need(registry().clock);
}
Drives& drives() {
    return need(registry().drives);
}
Ftp& ftp() {
    return need(registry().ftp);
}
ProgramEnd& programEnd() {
    return need(registry().end);
}

Help& help() {
    return need(registry().help);
}
Shell& shell() {
    return need(registry().shell);
}

void setMessages(std::unique_ptr<MessageBoxes> s) {
    registry().messages = std::move(s);
}
void setModalHost(std::unique_ptr<ModalHost> s) {
    registry().modal = std::move(s);
}
void setClock(std::unique_ptr<Clock> s) {
    registry().clock = std::move(s);
}
void setDrives(std::unique_ptr<Drives> s) {
    registry().drives = std::move(s);
}
void setFtp(std::unique_ptr<Ftp> s) {
    registry().ftp = std::move(s);
}
void setProgramEnd(std::unique_ptr<ProgramEnd> s) {
    registry().end = std::move(s);
}
void setHelp(std::unique_ptr<Help> s) {
    registry().help = std::move(s);
}
void setShell(std::unique_ptr<Shell> s) {
    registry().shell = std::move(s);
}

std::unique_ptr<Drives> makeSystemDrives() {
    return std::make_unique<SystemDrives>();
}

std::unique_ptr<Help> makeBrowserHelp(const QString& folder) {
    return std::make_unique<BrowserHelp>(folder);
}

std::unique_ptr<Shell> makeDesktopShell() {
    return std::make_unique<DesktopShell>();
}

QString installedHelpFolder() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/help");
}

void installReal() {
    setMessages(std::make_unique<QtMessageBoxes>());
    setModalHost(std::make_unique<QtModalHost>());
    setClock(std::make_unique<SystemClock>());
    setDrives(std::make_unique<SystemDrives>());
    setFtp(makeCurlFtp());
    setProgramEnd(std::make_unique<ExitProgram>());
    setHelp(makeBrowserHelp(installedHelpFolder()));
    setShell(makeDesktopShell());
    setFileDialogs(makeQtFileDialogs());
    setPrinters(makeQtPrinters());
}

} // namespace platform
