#pragma once
// The file-save box. Answered from a script in the tests
// (platform/testing/FakeFileDialogs.h).
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace platform {

struct SaveRequest {
    QString folder;        // where the box opens
    QString suggestedName; // the name it offers; empty for none
    // Asked of the chosen path before anything is asked about it: true when
    // the path may not be written, after telling the user why.
    std::function<bool(const QString& path)> refuses;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The path the user chose in the box, or an empty text when the box was
    // cancelled. The box asks nothing of its own.
    virtual QString saveFileName(QWidget* parent, const SaveRequest& request) = 0;
};

FileDialogs& fileDialogs();
void setFileDialogs(std::unique_ptr<FileDialogs> s);

// The save box as the program shows it: a path the request refuses ends it
// at once, with nothing more asked; an existing file is replaced only when the
// user says so, and "Nej" shows the box again. The path to write, or an empty
// text when the box was cancelled or the path refused.
QString chooseSaveFile(QWidget* parent, const SaveRequest& request);

// The desktop's save box with Swedish texts.
std::unique_ptr<FileDialogs> makeQtFileDialogs();

} // namespace platform
