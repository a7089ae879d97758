#include "core/ErrorRoutine.h"
#include "core/Errors.h"
#include "core/InsetBox.h"
#include "core/Paths.h"
#include "core/State.h"
#include "support/TestSupport.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace fyn;
using platform::Answer;

class ErrorRoutineTest : public fyn::test::Sandbox {
protected:
    int reportsOpened = 0;
    void SetUp() override {
        setReportFormOpener([this] { ++reportsOpened; });
    }
    void TearDown() override { setReportFormOpener(nullptr); }
};

TEST_F(ErrorRoutineTest, HandlerFillsTheThreeTextsByTheConvention) {
    Module1.KontoNum = 3;
    fakes.messages->answers = {Answer::No};
    int reached = 0;
    const bool ok = trap(
        [&] {
            ++reached;
            raiseError("Path not found");
            ++reached;
        },
        [] {
            return ErrorContext{
                "Exit_Konto",
                {"vid avslutning av programmet."},
                {"vid avslutning av programmet..",
                 "Kontonummer att skriva till fil " + QString::number(Module1.KontoNum)}};
        });
    EXPECT_FALSE(ok);
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(Module1.SysFel, "Path not found");
    EXPECT_EQ(Module1.FelText, QStringLiteral("Ett fel har uppstått i subrutinen Exit_Konto\n"
                                              "vid avslutning av programmet.\n"));
    EXPECT_EQ(Module1.FelDump,
              QStringLiteral("Fel i rutinen Exit_Konto\u00A6vid avslutning av "
                             "programmet..\u00A6Kontonummer att skriva till fil 3"));

    // A region number, a suffix and two closing line feeds.
    ErrorContext c{"Form_Load", {"vid laddning av programformuläret."}, {"a", "b"}};
    c.messageSuffix = ", Nivå = 2";
    c.region = 2;
    c.trailingLineFeeds = 2;
    fillErrorTexts("Overflow", c);
    EXPECT_EQ(Module1.FelText,
              QStringLiteral("Ett fel har uppstått i subrutinen Form_Load, Nivå = 2\n"
                             "vid laddning av programformuläret.\n\n"));
    EXPECT_EQ(Module1.FelDump, QStringLiteral("Fel i rutinen Form_Load (2)\u00A6a\u00A6b"));
}

TEST_F(ErrorRoutineTest, ProgramEndAndTestDoublesAreNotCaught) {
    EXPECT_THROW(trap([&] { platform::programEnd().endNow(); }, [] { return ErrorContext{}; }),
                 platform::testing::ProgramEnded);
    EXPECT_TRUE(fakes.messages->calls.empty());
}

TEST_F(ErrorRoutineTest, GeneralErrorOffersAReportAndOpensItOnYes) {
    Module1.FelText = "Ett fel har uppstått i subrutinen X\n";
    for (Answer answer : {Answer::No, Answer::Yes}) {
        Module1.SysFel = "permission denied"; // other letter case: the ordinary branch
        fakes.messages->answers = {answer};
        GeneralError();
    }
    ASSERT_EQ(fakes.messages->calls.size(), 2u);
    const auto& call = fakes.messages->calls[0];
    EXPECT_EQ(call.title, "Felspec. = permission denied");
    EXPECT_EQ(call.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(call.icon, platform::Icon::None);
    EXPECT_TRUE(call.text.startsWith(
        QStringLiteral("Ett fel har uppstått i subrutinen X\n\nOfta beror fel på någon störning")));
    EXPECT_TRUE(call.text.contains(QStringLiteral(
        "minimera förlust av data. (Se vidare Backup under Info/Hjälp !)\n\nFel kan")));
    EXPECT_TRUE(call.text.endsWith(
        QStringLiteral("hur felet uppstår ! ?\n\nVill du skapa en felrapport ?")));
    EXPECT_EQ(reportsOpened, 1); // only after Yes
}

TEST_F(ErrorRoutineTest, PermissionDeniedWithBlanksGetsItsOwnTextAndNoReport) {
    Module1.SysFel = "  Permission denied ";
    GeneralError();
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    const auto& call = fakes.messages->calls[0];
    EXPECT_EQ(call.title, QStringLiteral("Otillåten filåtkomst"));
    EXPECT_EQ(call.buttons, platform::Buttons::Ok);
    EXPECT_EQ(call.icon, platform::Icon::Information);
    // Advice for this system: the data folder by its path, writable by the user.
    const QStringList paragraphs = call.text.split("\n\n");
    ASSERT_EQ(paragraphs.size(), 3);
    EXPECT_EQ(paragraphs[0], "'Permission denied' !");
    EXPECT_TRUE(paragraphs[1].endsWith(QDir::toNativeSeparators(dataFolder()) + " !"));
    EXPECT_TRUE(paragraphs[2].startsWith(QStringLiteral(
        "Datamappen och filerna i den måste vara skrivbara för dig som användare.")));
    EXPECT_FALSE(call.text.contains("C:\\"));
    EXPECT_FALSE(call.text.contains("UAC"));
    EXPECT_EQ(reportsOpened, 0);
}

TEST_F(ErrorRoutineTest, PauseEndsOnTheRoundedSecond) {
    // Started at .4 the wait ends at 2.0 s; at .6 at 3.0 s; across midnight too.
    const struct {
        double start;
        double end;
    } cases[] = {{36000.4, 36002.0}, {36000.6, 36003.0}, {86399.4, 86401.0}};
    for (const auto& c : cases) {
        fakes.clock->seconds = c.start;
        fakes.clock->advancePerRead = 0.01;
        const double mono0 = fakes.clock->monotonic;
        Pause(2);
        const double waited = fakes.clock->monotonic - mono0;
        EXPECT_NEAR(waited, c.end - c.start, 0.03) << c.start;
        EXPECT_GT(fakes.clock->eventRounds, 0);
    }
}

// ---- The input box --------------------------------------------------------------

namespace {
QLineEdit* text1(QDialog& d) {
    return d.findChild<QLineEdit*>("Text1");
}
QPushButton* button(QDialog& d, const char* name) {
    return d.findChild<QPushButton*>(name);
}
} // namespace

TEST_F(ErrorRoutineTest, InsetInputAnswersWhatEnterTook) {
    fakes.modal->actions.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Användare");
        EXPECT_EQ(d.findChild<QLabel*>("Label1")->text(), "Ange ditt namn");
        EXPECT_EQ(text1(d)->text(), "Anna");
        EXPECT_FALSE(button(d, "Command1")->isEnabled()); // "OK" at rest
        text1(d)->setText(QStringLiteral("Åsa"));
        QTest::keyClick(text1(d), Qt::Key_Return);
        EXPECT_TRUE(button(d, "Command1")->isEnabled());
        EXPECT_TRUE(d.isVisible()); // Enter alone does not close the box
        text1(d)->setText("typed after Enter");
        QTest::keyClick(button(d, "Command1"), Qt::Key_Return); // a second Enter answers
    });
    EXPECT_EQ(InsetInput("Ange ditt namn", "Användare", "Anna"), QStringLiteral("Åsa"));

    // "Avbryt" answers "" even after Enter; so do Escape and a close without Enter.
    fakes.modal->actions.push_back([](QDialog& d) {
        EXPECT_EQ(text1(d)->text(), QStringLiteral("förval"));
        text1(d)->setText("x");
        QTest::keyClick(text1(d), Qt::Key_Return);
        QTest::mouseClick(button(d, "Command2"), Qt::LeftButton);
    });
    fakes.modal->actions.push_back([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    fakes.modal->actions.push_back([](QDialog& d) { d.close(); });
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(InsetInput("Fråga", "Titel", "förval"), "") << i;
    EXPECT_EQ(fakes.modal->shown, QStringList({"InsetBox", "InsetBox", "InsetBox", "InsetBox"}));
}

TEST_F(ErrorRoutineTest, InsetBoxGrowsWithItsPrompt) {
    int shortHeight = 0;
    int longHeight = 0;
    auto measure = [](int& into) {
        return [&into](QDialog& d) {
            into = d.height();
            const int labelBottom = d.findChild<QLabel*>("Label1")->geometry().bottom();
            EXPECT_GT(text1(d)->y(), labelBottom);
            EXPECT_EQ(button(d, "Command1")->y(), text1(d)->y() + 40);
            QTest::mouseClick(button(d, "Command2"), Qt::LeftButton);
        };
    };
    fakes.modal->actions.push_back(measure(shortHeight));
    fakes.modal->actions.push_back(measure(longHeight));
    InsetInput("Kort", "T", "");
    InsetInput(QString("Mycket lång fråga som måste brytas över flera rader ").repeated(4), "T",
               "");
    EXPECT_GT(longHeight, shortHeight);
}

TEST_F(ErrorRoutineTest, InsetBoxClientAreaIsItsOwnWithoutTheTitleBar) {
    // At rest 4680 x 1890 twips; asking, 2500 twips more than the prompt with
    // the title bar, so 2380 inside.
    fakes.modal->actions.push_back([](QDialog& d) {
        const QLabel* prompt = d.findChild<QLabel*>("Label1");
        EXPECT_EQ(d.height(), prompt->height() + 2380 / 15);
        QTest::mouseClick(button(d, "Command2"), Qt::LeftButton);
    });
    InsetInput("Fråga", "T", "");
    EXPECT_EQ(insetBox().width(), 4680 / 15);
    EXPECT_EQ(insetBox().height(), 1890 / 15);
}

// A refused access whose path is known names that file or folder, and speaks
// of the data folder only when the path lies in it, through a link too.
TEST_F(ErrorRoutineTest, PermissionDeniedNamesWhatWasRefused) {
    const QString data = dataFolder();
    test::writeFile(data + "/KontoFil", "");
    QDir().mkpath(path("ut"));
    test::writeFile(path("ut/lista.txt"), "");
    QFile::link(data, path("genväg"));
    const struct {
        QString refused;
        QString what;   // the second paragraph
        QString advice; // how the third begins
        bool dataFolder;
    } cases[] = {
        {data + "/KontoFil",
         "Programmet fick inte skriva eller läsa filen\n" + data + "/KontoFil !",
         "Den ligger i programmets datamapp " + data + ". Datamappen och filerna i den", true},
        {path("genväg/KontoFil"),
         "Programmet fick inte skriva eller läsa filen\n" + path("genväg/KontoFil") + " !",
         "Den ligger i programmets datamapp " + data + ".", true},
        {path("ut"), "Programmet fick inte skriva eller läsa i mappen\n" + path("ut") + " !",
         "Kontrollera att du har skrivrätt till mappen " + path("ut") + " och att disken", false},
        {path("ut/lista.txt"),
         "Programmet fick inte skriva eller läsa filen\n" + path("ut/lista.txt") + " !",
         "Kontrollera att du har skrivrätt till mappen " + path("ut") + " och att disken", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refused.toStdString());
        fakes.messages->calls.clear();
        Module1.SysFel = "Permission denied";
        Module1.FelPath = c.refused;
        GeneralError();
        ASSERT_EQ(fakes.messages->calls.size(), 1u);
        const auto& call = fakes.messages->calls[0];
        EXPECT_EQ(call.title, QStringLiteral("Otillåten filåtkomst"));
        const QStringList paragraphs = call.text.split("\n\n");
        ASSERT_EQ(paragraphs.size(), 3);
        EXPECT_EQ(paragraphs[0], "'Permission denied' !");
        EXPECT_EQ(paragraphs[1], c.what);
        EXPECT_TRUE(paragraphs[2].startsWith(c.advice)) << paragraphs[2].toStdString();
        EXPECT_EQ(call.text.contains("atamapp"), c.dataFolder);
        EXPECT_TRUE(Module1.FelPath.isEmpty()); // it belonged to this failure only
    }
    EXPECT_EQ(reportsOpened, 0);
}
