#include "mainwindow/HeadForm.h"
#include "names/NameDialogs.h"
#include "platform/Platform.h"
#include "services/RappForm.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fynlar"));
    platform::installReal();
    fyn::installReportForm();
    fyn::installNameDialogs();

    fyn::HeadForm window;
    window.Form_Load();
    return app.exec();
}
