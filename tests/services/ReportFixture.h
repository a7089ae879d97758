#pragma once
// The error-report form run the way the program runs it: a failure's Yes/No box,
// then the form shown modally and worked by a scripted action.
#include "core/ErrorRoutine.h"
#include "core/State.h"
#include "services/RappForm.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <stdexcept>
#include <string>

namespace fyn::test {

template <class T> T& child(QDialog& dialog, const char* name) {
    T* w = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!w)
        throw std::runtime_error(std::string("no control ") + name);
    return *w;
}

// Types text key by key; a line break is the Return key, as the user gives it.
inline void type(QPlainTextEdit& box, const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            QTest::keyClick(&box, Qt::Key_Return);
        else if (c.unicode() < 128)
            QTest::keyClick(&box, char(c.unicode()));
        else // a key of its own on a Swedish keyboard ("å", "ä", "ö")
            QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// The report goes to the current folder, so the scratch folder is made current;
// the author's server is pointed away so nothing can reach it.
class ReportFixture : public Sandbox {
protected:
    ReportFixture() : savedServer_(platform::authorServer()), savedFolder_(QDir::currentPath()) {
        QDir::setCurrent(dir.path());
        platform::authorServer().ftpHost = QStringLiteral("ftp.example.invalid");
        platform::authorServer().ftpPort = 2121;
        Module1.SysFel = QStringLiteral("Type mismatch");
        Module1.FelText = QStringLiteral("Fel i Form_Load\n");
        Module1.AnvNamn = QStringLiteral("Åsa");
        Module1.InstallDatum = QStringLiteral("2025-03-01");
        fakes.clock->setTime(7, 5, 9.6);
        installReportForm();
    }
    ~ReportFixture() override {
        setReportFormOpener(nullptr);
        platform::authorServer() = savedServer_;
        QDir::setCurrent(savedFolder_);
    }

    // A failure is reported, the user answers Yes and the action works the form.
    void reportWith(platform::testing::FakeModalHost::Action action) {
        fakes.messages->answers.push_back(platform::Answer::Yes);
        fakes.modal->actions.push_back(std::move(action));
        GeneralError();
        EXPECT_EQ(fakes.modal->shown, QStringList{QStringLiteral("RappForm")});
    }
    void send(const QString& message) {
        reportWith([message](QDialog& form) {
            type(child<QPlainTextEdit>(form, "Text1"), message);
            child<QPushButton>(form, "Command1").click();
        });
    }

    // Everything the test made in the scratch folder besides the data folder.
    QStringList leftInFolder() const {
        QStringList names = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        names.removeAll(QStringLiteral("FynData"));
        return names;
    }

    // The name for 2026-12-09 at 07:05:09.6 (seconds are cut, not rounded).
    const QString reportName = QStringLiteral("FelRapport_Fynlar20261209070509");

private:
    platform::AuthorServer savedServer_;
    QString savedFolder_;
};

} // namespace fyn::test
