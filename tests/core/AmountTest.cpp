#include "core/Amount.h"
#include "core/DateText.h"
#include "core/Errors.h"
#include "core/Numbers.h"
#include "support/TestSupport.h"

#include <vector>

using namespace fyn;

TEST(Amount, ParsesAndStoresInTheShortestForm) {
    const struct {
        const char* in;
        const char* stored;
    } cases[] = {
        {"0", "0"},
        {"1500", "1500"},
        {"-1500", "-1500"},
        {"1234,50", "1234,5"},
        {" 12,0300 ", "12,03"},
        {",5", "0,5"},
        {"-0,0001", "-0,0001"},
        {"+7", "7"},
        {"00012", "12"},
        {"99999999,99", "99999999,99"},
        {"1,23456", "1,2346"}, // rounded half to even beyond four decimals
        {"1,23445", "1,2344"},
        {"1,234451", "1,2345"},
        {"-0,00005", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Amount::parse(c.in).storage(), c.stored) << c.in;
}

// A record's field takes the same storage form, blanks after it, or stays as
// it was when the form is longer than the field; the bytes around stay.
TEST(Amount, StoresIntoAFieldAsItsStorageForm) {
    std::vector<std::int64_t> raws = {
        0, 1, -1, 10, 5000, -99990000, 999999999990000, -99999999990000, 123456789, -1234567891};
    for (std::int64_t r = 1; r < 1000000000000000; r = r * 7 + 3)
        raws.insert(raws.end(), {r, -r, r / 10 * 10, -(r / 10000 * 10000)});
    const QByteArray untouched = "<" + QByteArray(11, '.') + ">";
    for (std::int64_t raw : raws) {
        const Amount a = Amount::fromRaw(raw);
        char text[32];
        const int n = a.storageChars(text);
        QByteArray field = untouched;
        EXPECT_EQ(a.storeInField(field.data() + 1), n <= 11) << raw;
        EXPECT_EQ(field, n <= 11 ? "<" + QByteArray(text, n).leftJustified(11) + ">" : untouched)
            << raw;
    }
}

TEST(Amount, RefusesWhatIsNotANumber) {
    for (const char* bad :
         {"", "   ", "abc", "12a", "1,2,3", "--5", "5-", "1 000", "1.5", "-", ",", "12,", "1e3"}) {
        // "12," is a number to the runtime; the rest are not.
        Amount a;
        if (QByteArray(bad) == "12,") {
            EXPECT_TRUE(Amount::tryParse(bad, a));
            continue;
        }
        EXPECT_FALSE(Amount::tryParse(bad, a)) << bad;
        try {
            Amount::parse(bad);
            ADD_FAILURE() << bad;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), "Type mismatch") << bad;
        }
    }
    try {
        Amount::parse("99999999999999999999");
        ADD_FAILURE();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.text(), "Overflow");
    }
}

// The whole part near INT64_MAX / 10000: exact, or "Overflow"; never a wrapped value.
TEST(Amount, LargeWholePartsParseExactlyOrOverflow) {
    constexpr std::int64_t kMax = INT64_MAX;
    const struct {
        const char* in;
        std::int64_t raw; // 0: "Overflow"
    } cases[] = {
        {"922337203685476,9999", 9223372036854769999},
        {"922337203685477", 9223372036854770000},
        {"922337203685477,5807", kMax},
        {"-922337203685477,5807", -kMax},
        {"922337203685477,58074999", kMax},
        {"922337203685477,58065", kMax - 1}, // half to even stays
        {"00000000000000000000922337203685477,5807", kMax},
        {"922337203685477,5808", 0},
        {"-922337203685477,5808", 0}, // every amount must negate
        {"922337203685477,58075", 0}, // rounded past the top
        {"922337203685478", 0},
        {"922337203685479,9999", 0},
        {"1844674407370955,1616", 0},
        {"-9999999999999999999", 0},
    };
    for (const auto& c : cases) {
        Amount a;
        EXPECT_EQ(Amount::tryParse(c.in, a), c.raw != 0) << c.in;
        try {
            EXPECT_EQ(Amount::parse(c.in).raw(), c.raw) << c.in;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(c.raw, 0) << c.in;
            EXPECT_EQ(e.text(), "Overflow") << c.in;
        }
    }
    // However long the digits run, they overflow; a stray character still mismatches.
    const QString many(100000, QLatin1Char('9'));
    const std::pair<QString, const char*> longOnes[] = {
        {many, "Overflow"},
        {"-" + many + ",5", "Overflow"},
        {many + "x", "Type mismatch"},
    };
    for (const auto& [in, error] : longOnes) {
        try {
            Amount::parse(in);
            ADD_FAILURE() << error;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.text(), error);
        }
    }
    const QByteArray field = "  -922337203685477,5807  ";
    EXPECT_EQ(Amount::parseField(field.constData(), field.size()).raw(), -kMax);
}

TEST(Amount, DisplayPatternGroupsWithLiteralBlanks) {
    const struct {
        const char* in;
        const char* pattern;
        const char* display;
    } cases[] = {
        {"0", "  0,00", "0,00"},
        {"5", "  5,00", "5,00"},
        {"45", "  45,00", "45,00"},
        {"1234,5", " 1 234,50", "1 234,50"},
        {"-1234,5", " 1 234,50", "-1 234,50"},
        {"999999", " 999 999,00", "999 999,00"},
        {"1234567,891", "1 234 567,89", "1 234 567,89"},
        {"99999999,995", "100 000 000,00", "100 000 000,00"},
        {"0,005", "  0,01", "0,01"}, // half away from zero
        {"-0,0049", "  0,00", "-0,00"},
        {"1234567890", "1234 567 890,00", "1234 567 890,00"},
    };
    for (const auto& c : cases) {
        const Amount a = Amount::parse(c.in);
        EXPECT_EQ(a.pattern(), c.pattern) << c.in;
        EXPECT_EQ(a.display(), c.display) << c.in;
    }
}

TEST(Amount, LimitIsOneHundredMillion) {
    EXPECT_FALSE(Amount::parse("99999999,9999").overLimit());
    EXPECT_FALSE(Amount::parse("-99999999,9999").overLimit());
    EXPECT_TRUE(Amount::parse("100000000").overLimit());
    EXPECT_TRUE(Amount::parse("-100000000").overLimit());
    EXPECT_EQ((Amount::parse("60000000") + Amount::parse("40000000")).storage(), "100000000");
    EXPECT_TRUE((Amount::parse("60000000") + Amount::parse("40000000")).overLimit());
}

// The forms a person types or pastes from a bank's page, read the one way
// every amount box reads them.
TEST(TypedAmount, EveryTypedAndPastedFormReadsTheSame) {
    using K = TypedAmount::Kind;
    const struct {
        const char* text;
        K kind;
        const char* digits; // what the number keeps, when it is one
        const char* value;  // its magnitude's storage form
        char sign;
    } cases[] = {
        {"", K::Empty, "", "", 0},
        {" \t ", K::Empty, "", "", 0},
        {"1234,50", K::Number, "1234,50", "1234,5", 0},
        {"1200.5", K::Number, "1200,5", "1200,5", 0}, // a full stop alone is the comma
        {"950.5", K::Number, "950,5", "950,5", 0},
        {".5", K::Number, ",5", "0,5", 0},
        {",75", K::Number, ",75", "0,75", 0},
        {"12,", K::Number, "12,", "12", 0},
        {"12 500", K::Number, "12500", "12500", 0},
        {"1\u00a0234,50", K::Number, "1234,50", "1234,5", 0},
        {"1\u202f234\u202f567,89", K::Number, "1234567,89", "1234567,89", 0},
        {"1.234,50", K::Number, "1234,50", "1234,5", 0}, // full stops before a comma group
        {"1.234.567,89", K::Number, "1234567,89", "1234567,89", 0},
        {"1.234.567", K::Number, "1234567", "1234567", 0},
        {" 1 234,50\n", K::Number, "1234,50", "1234,5", 0}, // pasted with what stood around it
        {"\u00a01 234,50\u00a0", K::Number, "1234,50", "1234,5", 0},
        {"-500", K::Number, "500", "500", '-'},
        {"- 500", K::Number, "500", "500", '-'},
        {"\u22121 234,50", K::Number, "1234,50", "1234,5", '-'}, // a web page's minus sign
        {"+75", K::Number, "75", "75", '+'},
        {"007", K::Number, "007", "7", 0},
        {"1.234", K::TooManyDecimals, "", "", 0}, // one full stop: the comma, three decimals
        {"12,345", K::TooManyDecimals, "", "", 0},
        {"1 250,505", K::TooManyDecimals, "", "", 0},
        {"123456789012345678901234567890", K::TooLarge, "", "", 0},
        {"12a", K::NotANumber, "", "", 0},
        {"1 234,50 kr", K::NotANumber, "", "", 0},
        {"1,234,50", K::NotANumber, "", "", 0},
        {"1.234,5.0", K::NotANumber, "", "", 0},
        {"12.34,50", K::NotANumber, "", "", 0}, // not groups of three
        {"1.2.3", K::NotANumber, "", "", 0},
        {"1234.567,00", K::NotANumber, "", "", 0},
        {"--5", K::NotANumber, "", "", 0},
        {"5-", K::NotANumber, "", "", 0},
        {"-", K::NotANumber, "", "", 0},
        {",", K::NotANumber, "", "", 0},
        {".", K::NotANumber, "", "", 0},
        {"1e3", K::NotANumber, "", "", 0},
        {"1\t234", K::NotANumber, "", "", 0},
        {"\uff11\uff12", K::NotANumber, "", "", 0}, // wide digits are no digits here
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(text.toStdString());
        const TypedAmount t = readTypedAmount(text);
        EXPECT_EQ(t.kind, c.kind);
        if (c.kind != K::Number)
            continue;
        EXPECT_EQ(t.digits, c.digits);
        EXPECT_EQ(t.value.storage(), c.value);
        EXPECT_EQ(t.sign, c.sign ? QChar(c.sign) : QChar());
        EXPECT_EQ(t.minus(), c.sign == '-');
        EXPECT_FALSE(t.value.isNegative());
    }
    EXPECT_EQ(readTypedAmount("12,5").wholeKronor(), 12); // half to even
    EXPECT_EQ(readTypedAmount("13,5").wholeKronor(), 14);
    EXPECT_EQ(readTypedAmount("99 999 999,50").wholeKronor(), 100000000);
}

class LimitMessage : public fyn::test::Sandbox {};

TEST_F(LimitMessage, IsOneInformationBox) {
    MaxLevel_Msg();
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    const auto& c = fakes.messages->calls[0];
    EXPECT_EQ(c.title, QStringLiteral("Överskriden max-nivå"));
    EXPECT_EQ(c.icon, platform::Icon::Information);
    EXPECT_EQ(c.buttons, platform::Buttons::Ok);
    EXPECT_EQ(c.text,
              QStringLiteral("Detta program har tyvärr en begränsning\ntill belopp < 100 000 "
                             "000.00 kronor !\nDärför måste inmatning av högre\nbelopp "
                             "spärras, likaledes inmatning\nsom ger upphov till ett plus- "
                             "eller\nminussaldo över denna nivå !"));
}

TEST(Numbers, WholeNumbersAsTheRuntimeReadsThem) {
    EXPECT_EQ(toLong(" 12 "), 12);
    EXPECT_EQ(toLong("-1500"), -1500);
    EXPECT_EQ(toLong("2,5"), 2); // half to even
    EXPECT_EQ(toLong("3,5"), 4);
    EXPECT_EQ(toInt("32767"), 32767);
    for (const char* bad : {"", "x", "1 2", "12abc", "\t1"})
        EXPECT_THROW(toLong(bad), RuntimeError) << bad;
    try {
        toInt("32768");
        ADD_FAILURE();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.text(), "Overflow");
    }
    EXPECT_EQ(trimBlanks(" \ta b\t "), "\ta b\t"); // blanks only, not tabs
}

TEST(DateText, IsValidOnlyForRealDates) {
    EXPECT_TRUE(isDateText("2024-02-29"));
    EXPECT_FALSE(isDateText("2023-02-29"));
    EXPECT_FALSE(isDateText("1900-02-29")); // Gregorian: not a leap year
    EXPECT_TRUE(isDateText("2000-02-29"));
    EXPECT_FALSE(isDateText("2026-13-01"));
    EXPECT_FALSE(isDateText("2026-1-01 "));
    EXPECT_FALSE(isDateText("          "));
    EXPECT_EQ(dateText(QDate(2026, 3, 4)), "2026-03-04");
    EXPECT_EQ(timeText(QTime(9, 5, 7)), "09:05:07");
}
