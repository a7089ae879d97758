#include "core/Records.h"
#include "core/Errors.h"
#include "core/RecordFile.h"
#include "core/SafeOpen.h"
#include "support/TestSupport.h"

#include <QDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace fyn;
using fyn::test::readFile;
using fyn::test::writeFile;

namespace {

// Every record type survives decode-encode byte for byte, including bytes the
// code page leaves undefined and a fund-account mark.
template <class R> void expectRoundTrip(const QByteArray& bytes) {
    ASSERT_EQ(bytes.size(), R::Length);
    EXPECT_EQ(encodeRecord(decodeRecord<R>(bytes)), bytes);
}

// A record fixture written field by field: text padded to its width.
QByteArray fields(std::initializer_list<std::pair<QByteArray, int>> list) {
    QByteArray out;
    for (const auto& [text, width] : list)
        out += text.leftJustified(width, ' ', true);
    return out;
}

} // namespace

TEST(Records, EveryTypeRoundTripsByteExactly) {
    expectRoundTrip<KontoFilPost>(QByteArray("Hush\xE5ll\x06") + QByteArray(27, ' ') +
                                  QByteArray("12-34") + QByteArray(25, ' ') + "Bg" + "\\FynData\\" +
                                  QByteArray(6, ' '));
    expectRoundTrip<EnkelKontoPost>(fields({{"2026-12-09", 10},
                                            {"3", 4},
                                            {"-1234,5", 11},
                                            {"9876543,21", 11},
                                            {"x", 1},
                                            {"7", 4},
                                            {"", 2}}));
    expectRoundTrip<BudgetKontoPost>(fields({{"2026-12-09", 10},
                                             {"12", 4},
                                             {"1500", 11},
                                             {"-1500", 11},
                                             {"1500", 11},
                                             {"-99999,9999", 11},
                                             {"-101499,999", 11},
                                             {"x", 1},
                                             {"*", 1},
                                             {"12", 4},
                                             {"", 2}}));
    expectRoundTrip<TransPost>(QByteArray("L\xF6n") + QByteArray(32, ' ') + "+");
    expectRoundTrip<KategoriPost>(QByteArray("\x80\x81\x8D\x8F\x90\x9D\xFF") + QByteArray(28, ' '));
    expectRoundTrip<BudgMallPost>(fields({{"12", 4}, {"1500", 8}, {"03", 2}, {"25", 2}, {"*", 2}}));
    expectRoundTrip<RedDayPost>(QByteArray("Juldagen") + QByteArray(17, ' ') + "2026-12-25");
    QByteArray pos;
    for (int i = 0; i < 20; ++i)
        pos += QByteArray::number(i * 150 - 300).leftJustified(7, ' ');
    expectRoundTrip<PosFilPost>(pos);
}

TEST(Records, FieldsArePaddedAndCutAtTheirWidth) {
    EnkelKontoPost p;
    p.Datum = "2026-01-02";
    p.TransRef = "1";
    p.Belopp = "123456789012345"; // cut at 11
    p.Saldo = "-5";
    p.Kryss = " ";
    p.SubRef = "";
    p.Reserv = "";
    EXPECT_EQ(encodeRecord(p), fields({{"2026-01-02", 10},
                                       {"1", 4},
                                       {"12345678901", 11},
                                       {"-5", 11},
                                       {" ", 1},
                                       {"", 4},
                                       {"", 2}}));

    TransPost t;
    t.TransNamn = QStringLiteral("Räntor ☺"); // "☺" has no byte: written as "?"
    t.Tecken = "-";
    EXPECT_EQ(encodeRecord(t), fields({{"R\xE4ntor ?", 35}, {"-", 1}}));
    EXPECT_EQ(decodeRecord<TransPost>(encodeRecord(t)).TransNamn.trimmed(),
              QStringLiteral("Räntor ?"));
}

TEST(Records, ShortRecordReadsAsPaddedWithBlanks) {
    const auto p = decodeRecord<EnkelKontoPost>("2026-01-02  1");
    EXPECT_EQ(p.Datum, "2026-01-02");
    EXPECT_EQ(p.TransRef, "  1 ");
    EXPECT_EQ(p.Belopp, QString(11, ' '));
}

TEST(Records, AccountNameDropsBlanksAndFundMark) {
    EXPECT_EQ(accountNameOf(QStringLiteral("Hushåll\x06     ")), QStringLiteral("Hushåll"));
    EXPECT_EQ(accountNameOf(QStringLiteral("Hushåll        ")), QStringLiteral("Hushåll"));
    EXPECT_EQ(accountNameOf(QString(35, ' ')), QString());
}

class RecordFileTest : public fyn::test::Sandbox {};

TEST_F(RecordFileTest, CountRoundsHalfToEven) {
    const struct {
        int bytes;
        long count;
    } cases[] = {{0, 0}, {41, 0}, {42, 1}, {82, 1}, {123, 2}, {164, 2}, {205, 2}, {206, 3}};
    for (const auto& c : cases) {
        const QString file = path("FynData/KontoFil");
        writeFile(file, QByteArray(c.bytes, ' '));
        EXPECT_EQ(openRecordFile<KontoFilPost>(file).count(), c.count) << c.bytes << " bytes";
    }
}

TEST_F(RecordFileTest, MissingFileIsCreatedEmptyAndMissingFolderFails) {
    const QString file = path("FynData/Transakt");
    RecordFile f = openRecordFile<TransPost>(file);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(f.count(), 0);
    try {
        openRecordFile<TransPost>(path("FynData/Saknas/Transakt"));
        FAIL() << "opened a file in a missing folder";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.text(), "Path not found");
    }
}

TEST_F(RecordFileTest, PutsByNumberAndExtendsWithBlankRecords) {
    const QString file = path("FynData/Transakt");
    RecordFile f = openRecordFile<TransPost>(file);
    TransPost t{QStringLiteral("Kontostart"), QStringLiteral(" ")};
    f.put(1, t);
    t.TransNamn = QStringLiteral("Mat");
    t.Tecken = "-";
    f.put(3, t); // past the end: record 2 becomes blank
    const QByteArray expected = QByteArray("Kontostart") + QByteArray(26, ' ') +
                                QByteArray(36, ' ') + QByteArray("Mat") + QByteArray(32, ' ') + "-";
    EXPECT_EQ(readFile(file), expected);
    EXPECT_EQ(f.count(), 3);
    EXPECT_EQ(f.get<TransPost>(3).TransNamn.trimmed(), "Mat");
    EXPECT_EQ(f.get<TransPost>(9).TransNamn, QString(35, ' ')); // past the end: blank
    EXPECT_THROW(f.get<TransPost>(0), RuntimeError);
}

TEST_F(RecordFileTest, PartialLastRecordReadsPadded) {
    const QString file = path("FynData/KontoFil");
    writeFile(file, QByteArray("Hem") + QByteArray(79, ' ') + QByteArray("Spar"));
    RecordFile f = openRecordFile<KontoFilPost>(file);
    ASSERT_EQ(f.count(), 1); // 86 bytes: 1.05 records
    EXPECT_EQ(accountNameOf(f.get<KontoFilPost>(2).KontoNamn), "Spar");
    EXPECT_EQ(f.get<KontoFilPost>(2).KontoSlag, "  ");
}

// Whatever stands in a record file's place, a named pipe without a writer
// above all, is refused at once as "Path/File access error", and the file is
// named; nothing waits, and nothing is created in its place.
TEST_F(RecordFileTest, OnlyAPlainFileIsOpenedAndNothingWaitsForAWriter) {
    setDataRoot(path("FynData"));
    const QString data = path("FynData");
    writeFile(path("utanför"), QByteArray(36, 'x'));
    ASSERT_EQ(::mkfifo(QFile::encodeName(data + "/Kanal").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(data + "/Skriven").constData(), 0600), 0);
    // A writer holds this one open, so that even a blocking open returns.
    const int writer =
        ::open(QFile::encodeName(data + "/Skriven").constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_TRUE(QDir().mkpath(data + "/Mapp"));
    ASSERT_TRUE(QFile::link(path("utanför"), data + "/Länk"));
    for (const char* name : {"Kanal", "Skriven", "Mapp", "Länk"})
        for (const RecordFile::Missing missing :
             {RecordFile::Missing::Create, RecordFile::Missing::Fail}) {
            const QString file = data + "/" + QString::fromUtf8(name);
            try {
                RecordFile f(file, TransPost::Length, missing);
                ADD_FAILURE() << name << " opened, " << f.count() << " records";
            } catch (const RuntimeError& e) {
                EXPECT_EQ(e.text(), "Path/File access error") << name;
                EXPECT_EQ(e.where(), QString::fromUtf8(name));
            }
        }
    try {
        readWholeFile(data + "/Kanal");
        ADD_FAILURE() << "a pipe read whole";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.text(), "Path/File access error");
    }
    EXPECT_TRUE(QFileInfo(data + "/Länk").isSymLink());
    EXPECT_EQ(readFile(path("utanför")), QByteArray(36, 'x'));
    ::close(writer);
    setDataRoot(QString());
}
