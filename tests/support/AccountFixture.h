#pragma once
// Small data folders written straight to disk for the tests of the windows.
#include "core/Records.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace fyn::test {

// A posting of a simple account: date, TransRef, amount, balance, tick, SubRef.
EnkelKontoPost enkel(const QString& datum, const QString& ref, const QString& belopp,
                     const QString& saldo, const QString& kryss = " ", const QString& subRef = "");
// A budget posting: date, TransRef, budget and actual amounts and balances, diff, status.
BudgetKontoPost budget(const QString& datum, const QString& ref, const QString& budgBelopp,
                       const QString& verklBelopp, const QString& budgSaldo,
                       const QString& verklSaldo, const QString& saldoDiff,
                       const QString& bstatus = "*", const QString& kryss = " ",
                       const QString& subRef = "");

struct FixtureAccount {
    QString name;
    QString number = "123-4";
    QString slag = "Ek";              // "Ek" or "Bg"
    std::vector<QByteArray> postings; // encoded records
    // Transakt: name and sign; the default is what a new account gets.
    std::vector<std::pair<QString, QString>> trans = {
        {"Kontostart", " "}, {"Insättning", "+"}, {"Uttag", "-"}};
    QStringList kategori;
};

// Writes the account's folder and files under the data folder and its record
// at slot (1-based) of KontoFil. Module1.BaseFolder must be set.
void writeAccount(const FixtureAccount& a, int slot);
// Blanks slot of KontoFil (a deleted account).
void blankSlot(int slot);
void writeKontoIni(const QByteArray& bytes);

} // namespace fyn::test
