#include "platform/testing/FakePlatform.h"

#include "platform/testing/FakeFileDialogs.h"
#include "platform/testing/FakePrinter.h"

#include <QDialog>
#include <QFile>
#include <cmath>

namespace platform::testing {

Answer FakeMessages::show(const QString& text, Buttons buttons, Icon icon, const QString& title) {
    calls.push_back({text, buttons, icon, title});
    if (onShow)
        onShow(calls.back());
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (answers.empty())
        throw UnscriptedCall{QStringLiteral("Yes/No box \"%1\": %2").arg(title, text)};
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

void FakeModalHost::runModal(QDialog& dialog) {
    shown << dialog.objectName();
    if (actions.empty())
        throw UnscriptedCall{QStringLiteral("modal dialog %1").arg(dialog.objectName())};
    Action action = std::move(actions.front());
    actions.pop_front();
    dialog.show();
    action(dialog);
    if (dialog.isVisible())
        throw UnscriptedCall{QStringLiteral("dialog %1 stayed open").arg(dialog.objectName())};
}

QTime FakeClock::timeOfDay() {
    const int ms = int(std::floor(std::fmod(seconds, 86400.0) * 1000));
    return QTime::fromMSecsSinceStartOfDay(ms);
}

double FakeClock::monotonicSeconds() {
    monotonic += advancePerRead;
    seconds = std::fmod(seconds + advancePerRead, 86400.0);
    return monotonic;
}

FtpResult FakeFtp::putFile(const FtpTarget& target, const QString& localPath,
                           const QString& remoteName) {
    QFile f(localPath);
    QByteArray bytes;
    if (f.open(QIODevice::ReadOnly))
        bytes = f.readAll();
    calls.push_back({target, localPath, remoteName, bytes});
    return result;
}

FakePlatform::FakePlatform() {
    auto m = std::make_unique<FakeMessages>();
    auto h = std::make_unique<FakeModalHost>();
    auto c = std::make_unique<FakeClock>();
    auto d = std::make_unique<FakeDrives>();
    auto f = std::make_unique<FakeFtp>();
    auto e = std::make_unique<FakeProgramEnd>();
    auto hp = std::make_unique<FakeHelp>();
    auto sh = std::make_unique<FakeShell>();
    messages = m.get();
    modal = h.get();
    clock = c.get();
    drives = d.get();
    ftp = f.get();
    end = e.get();
    help = hp.get();
    shell = sh.get();
    auto fd = std::make_unique<FakeFileDialogs>();
    files = fd.get();
    auto pr = std::make_unique<FakePrinters>();
    printers = pr.get();
    setPrinters(std::move(pr));
    setFileDialogs(std::move(fd));
    setMessages(std::move(m));
    setModalHost(std::move(h));
    setClock(std::move(c));
    setDrives(std::move(d));
    setFtp(std::move(f));
    setProgramEnd(std::move(e));
    setHelp(std::move(hp));
    setShell(std::move(sh));
    auto fw = std::make_unique<FakeFileWrites>();
    fileWrites = fw.get();
    setFileWrites(std::move(fw));
    setWebPaneFactory([this](QWidget* parent) {
        auto* pane = new FakeWebPane(parent);
        webPanes.push_back(pane);
        return pane;
    });
}

FakePlatform::~FakePlatform() {
    setMessages(nullptr);
    setModalHost(nullptr);
    setClock(nullptr);
    setDrives(nullptr);
    setFtp(nullptr);
    setProgramEnd(nullptr);
    setHelp(nullptr);
    setShell(nullptr);
    setFileWrites(nullptr);
    setFileDialogs(nullptr);
    setPrinters(nullptr);
    setWebPaneFactory(nullptr);
}

} // namespace platform::testing
