#pragma once
// The account register KontoFil: one record an account, the record number is
// the account's number; a blank name is a free slot.
#include "core/RecordFile.h"

#include <QString>
#include <vector>

namespace fyn {

struct RegisterItem {
    QString text; // the name centred for the account list
    int number;   // the record number
};

// Space(n) & name with n = (30 - length) / 2 rounded half to even (none when negative).
QString centredName(const QString& name);

// The listed accounts, in record order, blank slots left out.
std::vector<RegisterItem> registerItems(const RecordFile& kontoFil);

// The first blank slot, or the record after the last.
long freeRegisterSlot(const RecordFile& kontoFil);

} // namespace fyn
