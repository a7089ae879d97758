#include "core/DateText.h"
#include "core/ErrorRoutine.h"
#include "core/Paths.h"
#include "core/SafeWrite.h"
#include "core/State.h"
#include "platform/Platform.h"
#include "services/RappForm.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fynlar"));
    platform::installReal();
    fyn::installReportForm();

    fyn::Module1.StartFolder = QDir::currentPath();
    fyn::Module1.BaseFolder = platform::drives().driveRoot(fyn::Module1.StartFolder);
    fyn::Module1.DagensDatum = fyn::dateText(platform::clock().today());
    fyn::setJournalPath(fyn::dataFolder() + QStringLiteral("/.journal"));

    QMainWindow window;
    window.setObjectName(QStringLiteral("HeadForm"));
    window.setWindowTitle(QStringLiteral("Fynlar"));
    auto* label = new QLabel(QStringLiteral("Data: %1").arg(fyn::dataFolder()), &window);
    label->setMargin(20);
    window.setCentralWidget(label);
    window.resize(600, 300);
    window.show();
    return app.exec();
}
