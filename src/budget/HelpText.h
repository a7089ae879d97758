#pragma once
// The budgeting help texts: numbered sections of "BudgInfoFil.txt", each
// headed by a line "§n" and running to the next line that begins with "§".
// No widgets.
#include <QString>

namespace fyn::budget {

inline const QString kBudgInfoFile = QStringLiteral("BudgInfoFil.txt");

// Section n of the file's text; empty when the file has no such section.
QString helpSection(const QString& fileText, int n);

// Where the help file is: the start folder first, then the program's folder
// (where it is shipped); empty when it is in neither.
QString budgInfoPath(const QString& startFolder, const QString& programFolder);

// Section n of the help file; empty when there is no file, no such section,
// or the file cannot be read.
QString readHelpSection(const QString& startFolder, const QString& programFolder, int n);

} // namespace fyn::budget
