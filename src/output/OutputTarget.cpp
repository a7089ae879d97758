#include "output/OutputTarget.h"

#include "core/FileIdentity.h"

namespace fyn::output {

bool mayWriteOutput(const QString& path) {
    return !liesInDataFolder(path) && !isOpenInProgram(path);
}

} // namespace fyn::output
