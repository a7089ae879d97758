#include "core/AccountName.h"

#include "core/Codec1252.h"

namespace fyn {

namespace {

// The characters Windows keeps out of a file name, beside the separators and
// the colon that no account name may hold anyway.
const QString kStickForbidden = QStringLiteral("*?\"<>|");

// The backups of every account are named so; an account of that name would
// share their folders.
const QString kAllAccountsStem = QStringLiteral("FynlarBU");

} // namespace

QString accountNameProblem(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("Kontonamnet är tomt !");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("Kontonamnet kan inte vara '%1' !").arg(name);
    // The data folder's own files share the folder with the accounts; a name
    // from a case-blind file system (a stick) must not hit them either.
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("Kontonamnet får inte börja med en punkt !");
    for (const char* own : {"KontoFil", "KontoIni", "PosFil", "RedDayFil", "ErrLog"})
        if (name.compare(QLatin1String(own), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Kontonamnet '%1' är upptaget av en av programmets egna filer "
                                  "!")
                .arg(name);
    for (QChar c : name) {
        if (c.unicode() < 32 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
            return QStringLiteral("Kontonamnet innehåller ett styrtecken, som inte kan ingå i ett "
                                  "mappnamn !");
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            return QStringLiteral("Kontonamnet får inte innehålla tecknet '%1', eftersom kontot "
                                  "sparas i en mapp med samma namn !")
                .arg(c);
    }
    if (!fitsCp1252(name))
        return QStringLiteral("Kontonamnet innehåller tecken som programmet inte kan spara "
                              "(endast västeuropeiska bokstäver och tecken går att använda) !");
    if (toCp1252(name).size() > kAccountNameBytes)
        return QStringLiteral("Kontonamnet är för långt: högst %1 tecken får plats !")
            .arg(kAccountNameBytes);
    return {};
}

QString stickNameProblem(const QString& name) {
    for (QChar c : name) {
        if (c.unicode() < 32)
            return QStringLiteral("Namnet innehåller ett styrtecken, som inte kan ingå i ett "
                                  "mappnamn på ett USB-minne !");
        if (kStickForbidden.contains(c) || c == QLatin1Char('/') || c == QLatin1Char('\\') ||
            c == QLatin1Char(':'))
            return QStringLiteral("Namnet innehåller tecknet '%1', som inte kan ingå i ett "
                                  "mappnamn på ett USB-minne !")
                .arg(c);
    }
    if (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')))
        return QStringLiteral("Namnet slutar med %1, som ett mappnamn på ett USB-minne inte kan "
                              "sluta med !")
            .arg(name.endsWith(QLatin1Char('.')) ? QStringLiteral("en punkt")
                                                 : QStringLiteral("ett blanksteg"));
    return {};
}

QString newAccountNameProblem(const QString& name, const QStringList& existing) {
    if (QString p = accountNameProblem(name); !p.isEmpty())
        return p;
    if (QString p = stickNameProblem(name); !p.isEmpty())
        return p +
               QStringLiteral("\n\nEtt konto med det namnet kan inte säkerhetskopieras till ett "
                              "USB-minne. Välj ett namn utan tecknen * ? \" < > | och utan "
                              "punkt sist !");
    // The register keeps 35 bytes, one of them for the fund-account mark.
    if (toCp1252(name).size() > kAccountNameBytes - 1)
        return QStringLiteral("Kontonamnet är för långt: högst %1 tecken får plats !")
            .arg(kAccountNameBytes - 1);
    if (name.compare(kAllAccountsStem, Qt::CaseInsensitive) == 0)
        return QStringLiteral("Kontonamnet '%1' är upptaget av säkerhetskopiorna av samtliga "
                              "konton !")
            .arg(name);
    for (const QString& other : existing)
        if (other != name && other.compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral("Kontonamnet skiljer sig från det befintliga kontot '%1' bara i "
                                  "stora och små bokstäver. Ett USB-minne skiljer inte på dem, så "
                                  "kontona kan inte säkerhetskopieras tillsammans !")
                .arg(other);
    return {};
}

} // namespace fyn
