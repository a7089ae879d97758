#pragma once
// Main transaction names stored without a dialog.
#include <QString>

namespace fyn {

struct SavedName {
    long record = 0; // where the name went; 0 when it was refused
    QString problem; // why it was refused, for the user
};

// Stores name (trailing blanks dropped) with sign (" " when empty) in the
// first free record of the open account's Transakt, as one commit. A name
// that cannot be stored is refused with nothing written. slot, when given, is
// set to the record before it is written.
SavedName saveMainName(const QString& name, const QString& sign, long* slot = nullptr);

} // namespace fyn
