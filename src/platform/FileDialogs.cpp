#include "platform/FileDialogs.h"

#include "platform/Platform.h"
#include "platform/SwedishTexts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <cstdlib>

namespace platform {

namespace {

std::unique_ptr<FileDialogs>& installed() {
    static std::unique_ptr<FileDialogs> s;
    return s;
}

class QtFileDialogs final : public FileDialogs {
public:
    QString saveFileName(QWidget* parent, const SaveRequest& request) override {
        // Qt's own box, so that its texts can be set; the overwrite question
        // is the program's own, in Swedish (chooseSaveFile).
        QFileDialog box(parent, QStringLiteral("Spara som"), request.folder);
        box.setAcceptMode(QFileDialog::AcceptSave);
        box.setFileMode(QFileDialog::AnyFile);
        box.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
        box.setLabelText(QFileDialog::LookIn, QStringLiteral("Spara i:"));
        box.setLabelText(QFileDialog::FileName, QStringLiteral("Filnamn:"));
        box.setLabelText(QFileDialog::FileType, QStringLiteral("Filformat:"));
        box.setLabelText(QFileDialog::Accept, QStringLiteral("Spara"));
        box.setLabelText(QFileDialog::Reject, QStringLiteral("Avbryt"));
        box.setNameFilter(QStringLiteral("Alla filer (*)"));
        box.setProxyModel(swedishFileColumns(&box));
        if (!request.suggestedName.isEmpty())
            box.selectFile(request.suggestedName);
        if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
            return {};
        return box.selectedFiles().constFirst();
    }
};

} // namespace

QString chooseSaveFile(QWidget* parent, const SaveRequest& request) {
    SaveRequest again = request;
    for (;;) {
        const QString path = fileDialogs().saveFileName(parent, again);
        if (path.isEmpty())
            return {};
        // A path that may not be written is refused before the user is asked
        // whether to replace what is there.
        if (request.refuses && request.refuses(path))
            return {};
        if (!QFileInfo::exists(path))
            return path;
        const Answer a =
            messages().show(QStringLiteral("Filen ") + QFileInfo(path).fileName() +
                                QStringLiteral(" finns redan.\n\nVill du ersätta den ?"),
                            Buttons::YesNo, Icon::Warning, QStringLiteral("Spara som"));
        if (a == Answer::Yes)
            return path;
        // The box opens again where the user was.
        again.folder = QFileInfo(path).absolutePath();
        again.suggestedName = QFileInfo(path).fileName();
    }
}

FileDialogs& fileDialogs() {
    if (!installed())
        std::abort(); // used before main or a test installed it
    return *installed();
}

void setFileDialogs(std::unique_ptr<FileDialogs> s) {
    installed() = std::move(s);
}

std::unique_ptr<FileDialogs> makeQtFileDialogs() {
    return std::make_unique<QtFileDialogs>();
}

} // namespace platform
