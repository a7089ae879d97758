// Through the journal: an entry's new state written to the files.
#include "core/SafeWriteRoads.h"

#include "core/Errors.h"
#include "core/SafeOpen.h"
#include "core/SafeWriteIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fyn::safewrite {

void applyEntry(const Entry& e, bool counted) {
    for (size_t i = 0; i < e.folders.size(); ++i) {
        if (!e.skipFolder.empty() && e.skipFolder[i])
            continue;
        pointStep(e.folders[i]);
        if (safeMkdir(e.folders[i]) != 0 && errno != EEXIST)
            fail(errno, e.folders[i]);
    }
    for (const FileChange& f : e.files) {
        if (f.skip || f.whole)
            continue;
        Fd fd(openOrFail(f.path, O_WRONLY | O_CREAT));
        for (const Region& r : f.regions) {
            pointWrite(fd.get(), r.now.constData(), r.now.size(), r.offset, f.path);
            if (counted)
                countDataBytes(r.now.size());
        }
        setLength(fd.get(), f.newSize, f.path);
    }
    for (const FileChange& f : e.files) {
        if (f.skip || !f.whole)
            continue;
        // The new file takes the old one's place; on a replay it may have
        // done so already.
        pointStep(f.path);
        const QString made = wholeFile(f.path, f.wholeId);
        Fd old(counted ? safeOpen(f.path, O_RDONLY) : -1);
        if (safeRename(made, f.path) != 0 && (counted || errno != ENOENT))
            fail(errno, f.path);
        releaseLater(old.release(), f.oldSize);
        if (counted)
            for (const Region& r : f.regions)
                countDataBytes(r.now.size());
    }
}

} // namespace fyn::safewrite
