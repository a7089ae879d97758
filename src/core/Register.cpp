#include "core/Register.h"

#include "core/Numbers.h"

namespace fyn {

QString centredName(const QString& name) {
    const int n = int(name.size());
    const int pad = n >= 30 ? 0 : int(divRoundHalfEven(30 - n, 2));
    return QString(pad, QLatin1Char(' ')) + name;
}

std::vector<RegisterItem> registerItems(const RecordFile& kontoFil) {
    std::vector<RegisterItem> items;
    const long count = kontoFil.count();
    for (long n = 1; n <= count; ++n) {
        const QString name = accountNameOf(kontoFil.get<KontoFilPost>(n).KontoNamn);
        if (!name.isEmpty())
            items.push_back({centredName(name), int(n)});
    }
    return items;
}

long freeRegisterSlot(const RecordFile& kontoFil) {
    const long count = kontoFil.count();
    for (long n = 1; n <= count; ++n)
        if (trimBlanks(kontoFil.get<KontoFilPost>(n).KontoNamn).isEmpty())
            return n;
    return count + 1;
}

} // namespace fyn
