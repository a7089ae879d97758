#pragma once
// A double of the data folder's writes that knows what was written since each
// file's last sync, so that a test can drop it all as a power cut does; and
// that fails the journal's head once (its write, a write cut short, or its
// sync), as a failing stick does, whenever the journal writes one.
#include "platform/DataWrites.h"
#include "platform/testing/InstalledWrites.h"

#include <QByteArray>
#include <QString>
#include <sys/types.h>
#include <vector>

namespace platform::testing {

class PowerCut final : public DataWrites {
public:
    enum class HeadFault { None, Write, Short, Sync };
    HeadFault headFault = HeadFault::None;
    int faultErrno = EIO;
    bool faulted = false; // the head's fault has come
    // The next write into a file other than the journal fails once ("Disk full").
    bool failNextDataWrite = false;

    ssize_t pwritev(int fd, const iovec* pieces, int count, off_t offset) override;
    int sync(int fd) override;
    // Puts back what every write not synced since replaced, newest first.
    void cut();

private:
    struct Unsynced {
        dev_t dev;
        ino_t ino;
        QString path;
        off_t offset;
        QByteArray old;  // the bytes it wrote over
        off_t oldLength; // the file's length before it
    };
    std::vector<Unsynced> unsynced_;
    int faultFd_ = -1;       // a head written there; its sync fails
    bool shortRest_ = false; // the rest of a head cut short fails
};

using PowerCutInstalled = InstalledWrites<PowerCut>;

} // namespace platform::testing
