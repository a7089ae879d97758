#pragma once
// Where the data files lie. Every data path begins with Module1.BaseFolder.
#include <QString>

namespace fyn {

QString dataFolder(); // BaseFolder + "FynData"
QString kontoFilPath();
QString kontoIniPath();
QString posFilPath();
QString redDayFilPath();
QString accountFolder(const QString& kontoNamn);
// A file of an account: "KontoData", "Transakt", "Kategori", "B-mall".
QString accountFile(const QString& kontoNamn, const QString& file);
QString errLogPath(); // in the start folder
// Where an account's folder lies while its deletion removes what it holds: a
// hidden name in the data folder that no account can have.
QString deletedAccountFolder(const QString& kontoNamn);

// The register's folder field as a path on this system: trimmed, a drive
// letter dropped, "\..." from the drive root, "/..." absolute, anything else
// from the start folder; backslashes become slashes, repeats collapse.
QString sokvagPath(const QString& sokvag);

// What the register stores for an account folder made in the data folder.
inline const QString kSokvagNew = QStringLiteral("\\FynData\\");
inline const QString kSokvagMigrated = QStringLiteral("\\FynData");

} // namespace fyn
