#pragma once
// An account name becomes a folder name: it must be one safe path component.
// A new account is held to more: what a stick can hold, and room in the
// register for the fund-account mark.
#include <QString>
#include <QStringList>

namespace fyn {

// The register's name field: 35 bytes.
inline constexpr int kAccountNameBytes = 35;

// Empty when the trimmed name can name a folder of the data folder (a name of
// the register's full 35 bytes included); otherwise what is wrong with it, as a
// message for the user. Every account that is opened, listed, backed up or
// restored passes this.
QString accountNameProblem(const QString& trimmedName);

// Empty when a drive formatted for Windows (a FAT or exFAT stick) can hold the
// name as a folder name; otherwise why not.
QString stickNameProblem(const QString& trimmedName);

// Empty when a new account may take the trimmed name beside the accounts
// named in existing (the register's names and the data folder's entries);
// otherwise why not. A name that equals one of them exactly is left to the
// caller's own "already exists" question.
QString newAccountNameProblem(const QString& trimmedName, const QStringList& existing);

} // namespace fyn
