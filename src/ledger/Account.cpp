#include "ledger/Account.h"

#include "core/AccountName.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "core/Register.h"
#include "core/SafeOpen.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "core/TextFiles.h"
#include "platform/SysError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace fyn::ledger {

void OpenAccount::closeAll() {
    transakt.close();
    kontoData.close();
    bmall.close();
}

OpenAccount& account() {
    static OpenAccount a;
    return a;
}

bool kindOf(const QString& kontoSlag, Kind& kind) {
    if (kontoSlag == QLatin1String("Ek"))
        kind = Kind::Enkel;
    else if (kontoSlag == QLatin1String("Bg"))
        kind = Kind::Budget;
    else
        return false;
    return true;
}

namespace {

QByteArray firstPosting(Kind kind, const QString& workDate) {
    if (kind == Kind::Budget) {
        BudgetKontoPost p;
        p.Datum = workDate;
        p.TransRef = QStringLiteral("1");
        p.BudgBelopp = p.VerklBelopp = p.BudgSaldo = p.VerklSaldo = p.SaldoDiff =
            QStringLiteral("0");
        p.Kryss = QStringLiteral(" ");
        p.BStatus = QStringLiteral("*");
        return encodeRecord(p);
    }
    EnkelKontoPost p;
    p.Datum = workDate;
    p.TransRef = QStringLiteral("1");
    p.Belopp = p.Saldo = QStringLiteral("0");
    p.Kryss = QStringLiteral(" ");
    return encodeRecord(p);
}

QByteArray transPost(const char* name, const char* sign) {
    return encodeRecord(TransPost{QString::fromUtf8(name), QString::fromLatin1(sign)});
}

} // namespace

int createAccount(const NewAccount& a) {
    Kind kind = Kind::Enkel;
    kindOf(a.slag, kind);
    // A data folder gone meanwhile is made again, its name synced into the
    // folder that holds it before the commit writes into it.
    const QString data = dataFolder();
    if (!QFileInfo(data).isDir()) {
        if (safeMkdir(data, 0777) != 0 && errno != EEXIST) {
            if (errno == ENOENT)
                raiseError(platform::kPathNotFound);
            raiseErrno(errno, data);
        }
        syncFolder(QFileInfo(data).absolutePath());
    }
    WriteBatch batch;
    batch.createFolder(accountFolder(a.name));
    batch.replaceFile(accountFile(a.name, QStringLiteral("KontoData")),
                      firstPosting(kind, a.workDate));
    batch.replaceFile(accountFile(a.name, QStringLiteral("Transakt")),
                      transPost("Kontostart", " ") + transPost("Insättning", "+") +
                          transPost("Uttag", "-"));
    batch.replaceFile(accountFile(a.name, QStringLiteral("Kategori")), QByteArray());

    const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
    const long slot = freeRegisterSlot(kontoFil);
    kontoFil.put(batch, slot, KontoFilPost{a.name, a.number, a.slag, kSokvagNew});
    writeKontoIni(batch, kontoIniPath(), int(slot), a.anvNamn);
    batch.commit();
    return int(slot);
}

int registerAccount(const NewAccount& a) {
    WriteBatch batch;
    const RecordFile kontoFil = openRecordFile<KontoFilPost>(kontoFilPath());
    const long slot = freeRegisterSlot(kontoFil);
    kontoFil.put(batch, slot, KontoFilPost{a.name, a.number, a.slag, kSokvagNew});
    writeKontoIni(batch, kontoIniPath(), int(slot), a.anvNamn);
    batch.commit();
    return int(slot);
}

void migrateOldLayout(const QString& oldKontoFil) {
    const RecordFile from = openExistingRecordFile<KontoFilPost>(oldKontoFil);
    const RecordFile to = openRecordFile<KontoFilPost>(kontoFilPath());
    WriteBatch batch;
    const long count = from.count();
    for (long n = 1; n <= count; ++n) {
        KontoFilPost rec = from.get<KontoFilPost>(n);
        const QString name = accountNameOf(rec.KontoNamn);
        const QString oldFolder = QDir::cleanPath(sokvagPath(rec.Sokvag));
        // Every account that does not already lie in the data folder is copied
        // in; a name that is no plain folder name is left for the account
        // choice to refuse.
        if (!name.isEmpty() && accountNameProblem(name).isEmpty() &&
            oldFolder != QDir::cleanPath(dataFolder())) {
            batch.createFolder(accountFolder(name));
            for (const char* file : {"B-mall", "Kategori", "KontoData", "Transakt"}) {
                const QString src =
                    oldFolder + QLatin1Char('/') + name + QLatin1Char('/') + QLatin1String(file);
                if (QFileInfo(src).isFile())
                    batch.replaceFile(accountFile(name, QLatin1String(file)), readWholeFile(src));
            }
            rec.Sokvag = kSokvagMigrated;
        }
        to.put(batch, n, rec);
    }
    batch.commit();
}

} // namespace fyn::ledger
