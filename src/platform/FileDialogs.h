#pragma once
// The file-save box. Answered from a script in the tests
// (platform/testing/FakeFileDialogs.h).
#include <QString>
#include <memory>

class QWidget;

namespace platform {

struct SaveRequest {
    QString folder;        // where the box opens
    QString suggestedName; // the name it offers; empty for none
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The path the user chose to save to, or an empty text when the box was
    // cancelled.
    virtual QString saveFileName(QWidget* parent, const SaveRequest& request) = 0;
};

FileDialogs& fileDialogs();
void setFileDialogs(std::unique_ptr<FileDialogs> s);

// The desktop's save box with Swedish texts; it asks before an existing file
// is replaced.
std::unique_ptr<FileDialogs> makeQtFileDialogs();

} // namespace platform
