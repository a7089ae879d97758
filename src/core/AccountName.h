#pragma once
// An account name becomes a folder name: it must be one safe path component.
#include <QString>

namespace fyn {

// Empty when the trimmed name can be an account; otherwise what is wrong with it,
// as a message for the user.
QString accountNameProblem(const QString& trimmedName);

} // namespace fyn
