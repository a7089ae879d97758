#pragma once
// Where a listing or a printout may be written: never into the data folder,
// which holds only the program's own files, and never onto a file the
// program keeps open. The text file and the PDF file share this one check.
#include <QString>

namespace fyn::output {

// True when the file at path may be written (created or replaced).
bool mayWriteOutput(const QString& path);

} // namespace fyn::output
