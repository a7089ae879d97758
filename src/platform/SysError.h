#pragma once
// The runtime's English error texts, which the program compares and reports.
#include <QString>

namespace platform {

inline const QString kPermissionDenied = QStringLiteral("Permission denied");
inline const QString kFileNotFound = QStringLiteral("File not found");
inline const QString kPathNotFound = QStringLiteral("Path not found");
inline const QString kTypeMismatch = QStringLiteral("Type mismatch");
inline const QString kOverflow = QStringLiteral("Overflow");
inline const QString kDiskFull = QStringLiteral("Disk full");
inline const QString kPathFileAccess = QStringLiteral("Path/File access error");
inline const QString kBadRecordNumber = QStringLiteral("Bad record number");
inline const QString kBadRecordLength = QStringLiteral("Bad record length");
inline const QString kBadFileName = QStringLiteral("Bad file name or number");
inline const QString kDeviceIo = QStringLiteral("Device I/O error");
inline const QString kOutOfMemory = QStringLiteral("Out of memory");
inline const QString kTooManyFiles = QStringLiteral("Too many files");

// The text for an errno value: the runtime's text for every error a copy or a
// record file can meet, else the system's English one (never translated).
QString sysErrorText(int errnoValue);

} // namespace platform
