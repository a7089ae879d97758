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
        // is asked here, in Swedish, through the message boxes.
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
        for (;;) {
            if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
                return {};
            const QString path = box.selectedFiles().constFirst();
            if (!QFileInfo::exists(path))
                return path;
            const Answer a =
                messages().show(QStringLiteral("Filen ") + QFileInfo(path).fileName() +
                                    QStringLiteral(" finns redan.\n\nVill du ersätta den ?"),
                                Buttons::YesNo, Icon::Warning, QStringLiteral("Spara som"));
            if (a == Answer::Yes)
                return path;
        }
    }
};

} // namespace

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
