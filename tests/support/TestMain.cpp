// Runs the tests inside a QApplication on the offscreen platform, with Qt's
// texts in Swedish as the program has them.
#include "platform/SwedishTexts.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {
// The offscreen platform cannot size windows by hints; it says so for every fixed
// size, which only hides what matters in the output.
QtMessageHandler previous = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("propagateSizeHints")))
        return;
    if (previous)
        previous(type, context, message);
}
} // namespace

int main(int argc, char** argv) {
    previous = qInstallMessageHandler(quietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Qt's own texts as the program shows them.
    platform::installSwedishTexts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
