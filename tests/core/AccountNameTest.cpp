// The two rules for an account's name: what any account must be to name a
// folder of the data folder, and what a new one is held to beside it.
#include "core/AccountName.h"

#include <gtest/gtest.h>

using namespace fyn;

namespace {

TEST(AccountNames, AnExistingNameMayFillTheRegistersFieldANewOneLeavesRoomForTheMark) {
    const struct {
        QString name;
        bool opens;  // opens, backs up, restores
        bool newOne; // may be created
    } cases[] = {
        {QString(34, QChar(0xE5)), true, true},  // "å": one byte each in the register
        {QString(35, QChar(0xE5)), true, false}, // the original's full field
        {QString(35, 'k'), true, false},         {QString(36, 'k'), false, false},
        {QStringLiteral("Hushåll"), true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(accountNameProblem(c.name).isEmpty(), c.opens) << c.name.size();
        EXPECT_EQ(newAccountNameProblem(c.name, {}).isEmpty(), c.newOne) << c.name.size();
    }
}

TEST(AccountNames, ANewNameIsOneAStickCanHoldBesideTheOtherAccounts) {
    const QStringList existing = {"Hushåll", "Resa", "KontoFil", "PosFil"};
    const struct {
        const char* name;
        bool accepted;
    } cases[] = {
        {"Bil?", false},
        {"Hus|Båt", false},
        {"Spar*", false},
        {"\"Fond\"", false},
        {"Mat<Hyra", false},
        {"Mat>Hyra", false},
        {"Bil.", false},
        {"FynlarBU", false},
        {"fynlarbu", false},
        {"HUSHÅLL", false},
        {"resa", false},
        {"Bil", true},
        {"Bil. 2", true},
        {"FynlarBU2", true},
        {"Hushållet", true},
        // The same name exactly is the caller's own question ("already exists").
        {"Hushåll", true},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(newAccountNameProblem(name, existing).isEmpty(), c.accepted) << c.name;
        // What the stick cannot hold an existing account may still be called.
        EXPECT_TRUE(accountNameProblem(name).isEmpty()) << c.name;
    }
    EXPECT_TRUE(newAccountNameProblem("HUSHÅLL", existing).contains("'Hushåll'"));
}

TEST(AccountNames, AStickTakesNoWindowsReservedCharacterNorATrailingDotOrBlank) {
    for (const char* bad :
         {"a?b", "a|b", "a*b", "a\"b", "a<b", "a>b", "a:b", "a\\b", "a/b", "Bil.", "Bil ", "a\tb"})
        EXPECT_FALSE(stickNameProblem(QString::fromUtf8(bad)).isEmpty()) << bad;
    for (const char* good : {"Bil", "Hushåll 2026", "Räntor & avgifter", ".x.y", "Bil.2"})
        EXPECT_TRUE(stickNameProblem(QString::fromUtf8(good)).isEmpty()) << good;
}

} // namespace
