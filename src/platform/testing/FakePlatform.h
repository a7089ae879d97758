#pragma once
// Test doubles of the platform services: they answer from a script and record
// what the program asked. Missing answers throw UnscriptedCall, which no
// routine's error handler catches, so the test fails where it happened.

#include "platform/Platform.h"
#include "platform/WebPane.h"
#include "platform/testing/FakeFileWrites.h"

#include <QByteArray>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace platform::testing {

class FakeFileDialogs;
class FakePrinters;

struct UnscriptedCall {
    QString what;
};

// Thrown where the program ends itself at once.
struct ProgramEnded {};

struct MessageCall {
    QString text;
    Buttons buttons;
    Icon icon;
    QString title;
};

class FakeMessages final : public MessageBoxes {
public:
    // Answers for Yes/No (and Yes/No/Cancel) boxes, in order. OK boxes answer
    // themselves.
    std::deque<Answer> answers;
    std::vector<MessageCall> calls;
    // Runs once a box is recorded, before it answers: a test may throw from it
    // to make the routine that asked fail there.
    std::function<void(const MessageCall&)> onShow;
    Answer show(const QString& text, Buttons buttons, Icon icon, const QString& title) override;
};

class FakeModalHost final : public ModalHost {
public:
    using Action = std::function<void(QDialog&)>;
    // One action a dialog: it is shown (offscreen), the action runs, and the dialog
    // must then have hidden itself.
    std::deque<Action> actions;
    QStringList shown; // objectNames of the dialogs, in order
    void runModal(QDialog& dialog) override;
};

class FakeClock final : public Clock {
public:
    QDate date{2026, 12, 9};
    double seconds = 12 * 3600; // since midnight
    double monotonic = 1000;
    double advancePerRead = 0; // each monotonic read moves both clocks on
    int eventRounds = 0;
    QDate today() override { return date; }
    QTime timeOfDay() override;
    double secondsSinceMidnight() override { return seconds; }
    double monotonicSeconds() override;
    void processEvents() override { ++eventRounds; }
    void setTime(int h, int m, double s) { seconds = h * 3600 + m * 60 + s; }
};

class FakeDrives final : public Drives {
public:
    QString root;
    std::vector<DriveInfo> drives; // what list() answers
    QStringList listedFor;         // the drive roots list() was asked with
    QString driveRoot(const QString&) override { return root; }
    std::vector<DriveInfo> list(const QString& driveRoot) override {
        listedFor << driveRoot;
        return drives;
    }
};

class FakeHelp final : public Help {
public:
    std::vector<int> contexts; // in the order asked
    void showContext(int contextId) override { contexts.push_back(contextId); }
};

class FakeShell final : public Shell {
public:
    QStringList opened;
    void openUrl(const QString& url) override { opened << url; }
};

struct FtpCall {
    FtpTarget target;
    QString localPath;
    QString remoteName;
    QByteArray bytes; // the file as it was at upload time
};

class FakeFtp final : public Ftp {
public:
    FtpResult result{true, {}};
    std::vector<FtpCall> calls;
    FtpResult putFile(const FtpTarget& target, const QString& localPath,
                      const QString& remoteName) override;
};

class FakeProgramEnd final : public ProgramEnd {
public:
    int ends = 0;
    [[noreturn]] void endNow() override {
        ++ends;
        throw ProgramEnded{};
    }
};

// A browser pane that only records where it was sent.
class FakeWebPane final : public WebPane {
public:
    using WebPane::WebPane;
    QStringList visited;
    void navigate(const QString& url) override {
        visited << url;
        if (url == QLatin1String("about:blank"))
            emit documentComplete(url);
    }
    QString currentUrl() const override { return visited.isEmpty() ? QString() : visited.last(); }
    // The page that was asked for has come.
    void finishLoading() { emit documentComplete(currentUrl()); }
};

// Installs a fresh double of every service for the life of the object.
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();
    FakeMessages* messages;
    FakeModalHost* modal;
    FakeClock* clock;
    FakeDrives* drives;
    FakeFtp* ftp;
    FakeProgramEnd* end;
    FakeHelp* help;
    FakeShell* shell;
    FakeFileWrites* fileWrites;
    FakeFileDialogs* files;             // the save box
    FakePrinters* printers;             // the print set-up box and the documents
    std::vector<FakeWebPane*> webPanes; // made since, newest last
};

} // namespace platform::testing
