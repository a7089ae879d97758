#include "core/Records.h"

#include "core/Numbers.h"

namespace fyn {

QByteArray fieldBytes(const QString& value, int width) {
    QByteArray b = toCp1252(value);
    if (b.size() > width)
        b.truncate(width);
    else if (b.size() < width)
        b.append(QByteArray(width - b.size(), ' '));
    return b;
}

QString accountNameOf(const QString& field) {
    QString name = trimBlanks(field);
    if (name.endsWith(kFondInfoMark))
        name = trimBlanks(name.chopped(1));
    return name;
}

} // namespace fyn
