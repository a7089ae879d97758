#include "support/TestSupport.h"

#include "core/SafeWrite.h"

#include <QDir>
#include <QFile>

namespace fyn::test {

Sandbox::Sandbox() {
    Module1 = SharedState{};
    Module1.StartFolder = dir.path();
    Module1.BaseFolder = dir.path() + QLatin1Char('/');
    Module1.DagensDatum = QStringLiteral("2026-12-09");
    fakes.drives->root = Module1.BaseFolder;
    QDir(dir.path()).mkpath(QStringLiteral("FynData"));
    setJournalPath(dir.path() + QStringLiteral("/FynData/.journal"));
}

Sandbox::~Sandbox() {
    setJournalPath(QString());
    Module1 = SharedState{};
}

QString Sandbox::path(const QString& relative) const {
    return dir.filePath(relative);
}

const platform::testing::MessageCall& Sandbox::lastBox() const {
    return test::lastBox(*fakes.messages);
}

const platform::testing::MessageCall& lastBox(const platform::testing::FakeMessages& messages) {
    static const platform::testing::MessageCall none{};
    if (messages.calls.empty()) {
        ADD_FAILURE() << "no box was shown";
        return none;
    }
    return messages.calls.back();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    f.write(bytes);
}

} // namespace fyn::test
