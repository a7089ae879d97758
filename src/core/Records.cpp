#include "core/Records.h"

#include "core/Numbers.h"

#include <cstring>

namespace fyn {

QByteArray fieldBytes(const QString& value, int width) {
    QByteArray b(width, Qt::Uninitialized);
    putField(b.data(), value, width);
    return b;
}

void putField(char* field, const QString& value, int width) {
    const qsizetype n = toCp1252(value, field, width);
    std::memset(field + n, ' ', size_t(width - n));
}

QString accountNameOf(const QString& field) {
    QString name = trimBlanks(field);
    if (name.endsWith(kFondInfoMark))
        name = trimBlanks(name.chopped(1));
    return name;
}

} // namespace fyn
