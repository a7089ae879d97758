#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/Paths.h"
#include "core/PosFil.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "core/TextFiles.h"
#include "support/TestSupport.h"

#include <QFile>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;

class DataFilesTest : public fyn::test::Sandbox {};

TEST(KontoIniFields, DelimitedFieldIsReadAsTheRuntimeReadsIt) {
    const struct {
        const char* line;
        const char* field;
    } cases[] = {
        {"3", "3"},
        {"   Anna Berg   ", "Anna Berg"},
        {"Berg, Anna", "Berg"}, // a comma ends the field
        {"\"Berg, Anna\" rest", "Berg, Anna"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readDelimitedField(QString::fromUtf8(c.line)), QString::fromUtf8(c.field))
            << c.line;
}

TEST_F(DataFilesTest, KontoIniIsWrittenWholeAndReadBack) {
    WriteBatch batch;
    writeKontoIni(batch, kontoIniPath(), 2, QStringLiteral("Åsa Öberg, Malmö"));
    batch.commit();
    EXPECT_EQ(readFile(kontoIniPath()), QByteArray("2\r\n\xC5sa \xD6"
                                                   "berg, Malm\xF6\r\n"));
    const KontoIniText ini = readKontoIni(kontoIniPath());
    EXPECT_TRUE(ini.complete);
    EXPECT_EQ(toInt(ini.kontoNum), 2);
    EXPECT_EQ(ini.anvNamn, QStringLiteral("Åsa Öberg, Malmö"));
}

TEST_F(DataFilesTest, KontoIniGivesTheUserNameAsTheWholeLine) {
    const struct {
        const char* line;
        const char* name;
    } cases[] = {
        {"Berg, Anna", "Berg, Anna"},
        {",Anna", ",Anna"},
        {"   Anna Berg   ", "Anna Berg"}, // without a comma as before
        {"\"Berg, Anna\" rest", "Berg, Anna"},
    };
    for (const auto& c : cases) {
        writeFile(kontoIniPath(), QByteArray("1\r\n") + c.line + "\r\n");
        const KontoIniText ini = readKontoIni(kontoIniPath());
        EXPECT_TRUE(ini.complete) << c.line;
        EXPECT_EQ(ini.anvNamn, QString::fromUtf8(c.name)) << c.line;
    }
}

TEST_F(DataFilesTest, KontoIniWithoutBothLinesIsIncomplete) {
    EXPECT_FALSE(readKontoIni(kontoIniPath()).complete); // missing
    for (const char* text : {"", "1\r\n", "1"}) {
        writeFile(kontoIniPath(), text);
        EXPECT_FALSE(readKontoIni(kontoIniPath()).complete) << text;
    }
    writeFile(kontoIniPath(), "1\r\n\r\n"); // an empty user name is still a line
    EXPECT_TRUE(readKontoIni(kontoIniPath()).complete);
}

TEST_F(DataFilesTest, KontoIniWithGarbageEndsInTheHandlerNotACrash) {
    writeFile(kontoIniPath(), "\x01\xFFgarbage\r\nAnna\r\n");
    fakes.messages->answers = {platform::Answer::No};
    const bool ok =
        trap([&] { toInt(readKontoIni(kontoIniPath()).kontoNum); },
             [] {
                 return ErrorContext{"Inläs_Kontofil", {"vid läsning av KontoIni."}, {}};
             });
    EXPECT_FALSE(ok);
    EXPECT_EQ(Module1.SysFel, "Type mismatch");
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Felspec. = Type mismatch");
    EXPECT_EQ(readFile(kontoIniPath()), "\x01\xFFgarbage\r\nAnna\r\n");
}

TEST_F(DataFilesTest, ErrLogIsAppendedInTheStartFolder) {
    appendErrLog({QStringLiteral("Fel: Kontokatalogen innehåller inga data !"), QString()});
    appendErrLog({QStringLiteral("Andra")});
    EXPECT_EQ(readFile(path("ErrLog")),
              "Fel: Kontokatalogen inneh\xE5ller inga data !\r\n\r\nAndra\r\n");
}

TEST_F(DataFilesTest, SokvagBecomesAPathOnThisSystem) {
    Module1.BaseFolder = "/media/stick/";
    Module1.StartFolder = "/home/anna/prog";
    const struct {
        const char* sokvag;
        const char* path;
    } cases[] = {
        {"\\FynData\\     ", "/media/stick/FynData/"},       {"\\FynData", "/media/stick/FynData"},
        {"D:\\FynData\\", "/media/stick/FynData/"},          {"/srv/konton", "/srv/konton"},
        {"Konton\\\\Gamla", "/home/anna/prog/Konton/Gamla"}, {"  C:Gamla", "/home/anna/prog/Gamla"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sokvagPath(c.sokvag), c.path) << c.sokvag;
    EXPECT_EQ(dataFolder(), "/media/stick/FynData");
    EXPECT_EQ(accountFile("Hem", "KontoData"), "/media/stick/FynData/Hem/KontoData");
    EXPECT_EQ(errLogPath(), "/home/anna/prog/ErrLog");
}

// ---- Window positions ---------------------------------------------------------

TEST_F(DataFilesTest, WindowPositionsFollowTheLoadAndCloseRules) {
    // A new file: the main window takes 1500/3500 twips and stores them.
    EXPECT_EQ(loadWindowPos(WindowPos::HeadForm, QPoint(7, 7)), QPoint(100, 233));
    PosFilPost rec = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
    EXPECT_EQ(rec.Pos[0].trimmed(), "1500");
    EXPECT_EQ(rec.Pos[1].trimmed(), "3500");
    EXPECT_EQ(rec.Pos[4].trimmed(), "");

    // Another window's pair holds no digits: its current position is stored.
    EXPECT_EQ(loadWindowPos(WindowPos::DonateForm, QPoint(20, 30)), std::nullopt);
    rec = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
    EXPECT_EQ(rec.Pos[4].trimmed(), "300");
    EXPECT_EQ(rec.Pos[5].trimmed(), "450");
    // ... and restored next time.
    EXPECT_EQ(loadWindowPos(WindowPos::DonateForm, QPoint(0, 0)), QPoint(20, 30));

    // Closing unmoved writes nothing; moved writes its own pair only.
    const QByteArray stored = readFile(posFilPath());
    EXPECT_FALSE(saveWindowPos(WindowPos::DonateForm, QPoint(20, 30)));
    EXPECT_EQ(readFile(posFilPath()), stored);
    EXPECT_TRUE(saveWindowPos(WindowPos::DonateForm, QPoint(-5, 40)));
    rec = openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1);
    EXPECT_EQ(rec.Pos[0].trimmed(), "1500");
    EXPECT_EQ(rec.Pos[4].trimmed(), "-75");
    EXPECT_EQ(rec.Pos[5].trimmed(), "600");

    // A stored negative Left is not restored by a dialog (it stores anew) ...
    EXPECT_EQ(loadWindowPos(WindowPos::DonateForm, QPoint(50, 60)), std::nullopt);
    EXPECT_EQ(openRecordFile<PosFilPost>(posFilPath()).get<PosFilPost>(1).Pos[4].trimmed(), "750");
    // ... but the main window restores its own.
    EXPECT_TRUE(saveWindowPos(WindowPos::HeadForm, QPoint(-10, 5)));
    EXPECT_EQ(loadWindowPos(WindowPos::HeadForm, QPoint(0, 0)), QPoint(-10, 5));
    EXPECT_EQ(readFile(posFilPath()).size(), 140);
}

TEST_F(DataFilesTest, PosFilPairThatIsNotANumberEndsInTheHandler) {
    PosFilPost rec;
    rec.Pos[0] = "12ab";
    rec.Pos[1] = "3500";
    openRecordFile<PosFilPost>(posFilPath()).put(1, rec);
    const QByteArray stored = readFile(posFilPath());
    fakes.messages->answers = {platform::Answer::No};
    EXPECT_FALSE(trap([] { loadWindowPos(WindowPos::HeadForm, QPoint()); },
                      [] {
                          return ErrorContext{"Form_Load", {}, {}};
                      }));
    EXPECT_EQ(Module1.SysFel, "Type mismatch");
    EXPECT_EQ(readFile(posFilPath()), stored);
}
