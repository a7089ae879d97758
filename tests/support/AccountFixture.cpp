#include "support/AccountFixture.h"

#include "core/Paths.h"
#include "core/RecordFile.h"
#include "support/TestSupport.h"

#include <QDir>

namespace fyn::test {

EnkelKontoPost enkel(const QString& datum, const QString& ref, const QString& belopp,
                     const QString& saldo, const QString& kryss, const QString& subRef) {
    return EnkelKontoPost{datum, ref, belopp, saldo, kryss, subRef, "  "};
}

BudgetKontoPost budget(const QString& datum, const QString& ref, const QString& budgBelopp,
                       const QString& verklBelopp, const QString& budgSaldo,
                       const QString& verklSaldo, const QString& saldoDiff, const QString& bstatus,
                       const QString& kryss, const QString& subRef) {
    return BudgetKontoPost{datum,     ref,   budgBelopp, verklBelopp, budgSaldo, verklSaldo,
                           saldoDiff, kryss, bstatus,    subRef,      "  "};
}

void writeAccount(const FixtureAccount& a, int slot) {
    QDir().mkpath(accountFolder(a.name));
    QByteArray data;
    for (const QByteArray& p : a.postings)
        data += p;
    writeFile(accountFile(a.name, "KontoData"), data);
    QByteArray trans;
    for (const auto& [name, sign] : a.trans)
        trans += encodeRecord(TransPost{name, sign});
    writeFile(accountFile(a.name, "Transakt"), trans);
    QByteArray kat;
    for (const QString& k : a.kategori)
        kat += encodeRecord(KategoriPost{k});
    writeFile(accountFile(a.name, "Kategori"), kat);
    openRecordFile<KontoFilPost>(kontoFilPath())
        .put(slot, KontoFilPost{a.name, a.number, a.slag, "\\FynData\\"});
}

void blankSlot(int slot) {
    openRecordFile<KontoFilPost>(kontoFilPath()).put(slot, KontoFilPost{"", "", "", ""});
}

void writeKontoIni(const QByteArray& bytes) {
    writeFile(kontoIniPath(), bytes);
}

} // namespace fyn::test
