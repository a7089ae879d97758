#pragma once
// Where a path leads, judged by the file system's own identity of files and
// folders (device and inode), so that a link, a second mount or a hard link
// cannot pass off the data folder or an open file as somewhere else.
#include <QString>

namespace fyn {

// True when path, or the nearest folder of it that exists, is the data folder
// or lies inside it, with every link on the way followed.
bool liesInDataFolder(const QString& path);

// True when the file at path (links followed) is one the program holds open.
bool isOpenInProgram(const QString& path);

// The folder where the file system that holds path (or the nearest folder of
// it that exists) is mounted: the drive, as a user knows it.
QString mountPointOf(const QString& path);

} // namespace fyn
