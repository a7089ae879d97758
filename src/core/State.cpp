#include "core/State.h"

namespace fyn {

SharedState Module1;

} // namespace fyn
