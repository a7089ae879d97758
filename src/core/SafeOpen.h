#pragma once
// File access that cannot be led out of the data folder. Inside it, a path is
// walked one component at a time from the folder itself: no symbolic link is
// followed and no ".." or "." is taken, so a link planted in place of an
// account folder or a file reaches nothing outside. Paths outside the data
// folder (the start folder, an old layout being taken over) are opened as they
// are.
//
// The calls mirror their system counterparts: -1 (or false) with errno set.
#include <QString>
#include <cerrno>
#include <sys/stat.h>

namespace fyn {

// The data folder; empty means none (everything is opened as it is).
void setDataRoot(const QString& folder);
QString dataRoot();

// True when path lies inside the data folder (lexically, after cleaning).
bool insideDataRoot(const QString& path);
// The path relative to the data folder ("Konto/KontoData"); empty when outside.
QString relativeToDataRoot(const QString& path);
// One or more plain components joined by "/": no empty, "." or ".." part, no
// leading "/", no backslash or NUL.
bool isPlainRelativePath(const QString& relative);

// Opens only a plain file (or, with O_DIRECTORY, a folder), and never waits
// on what stands in a file's place: anything else fails with kNotAPlainFile.
int safeOpen(const QString& path, int flags, mode_t mode = 0644);
// The errno of a folder, a pipe or a device where a plain file belongs; the
// runtime called it "Path/File access error".
constexpr int kNotAPlainFile = EISDIR;
int safeMkdir(const QString& path, mode_t mode = 0755);
int safeUnlink(const QString& path);
int safeRmdir(const QString& path);
// lstat: a link is reported as a link, never followed.
int safeLstat(const QString& path, struct stat& st);
// Both paths in the same folder.
int safeRename(const QString& from, const QString& to);

// Reads size bytes at offset into dst, on past interruptions and short reads:
// how many there were (fewer at the end of the file), or -1.
long long readFully(int fd, char* dst, long long size, long long offset);

} // namespace fyn
