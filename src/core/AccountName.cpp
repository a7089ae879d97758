#include "core/AccountName.h"

#include "core/Codec1252.h"

namespace fyn {

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
    // The register keeps 35 bytes, one of them for the fund-account mark.
    if (toCp1252(name).size() > 34)
        return QStringLiteral("Kontonamnet är för långt: högst 34 tecken får plats !");
    return {};
}

} // namespace fyn
