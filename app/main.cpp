#include "budget/BudgetDialogs.h"
#include "core/EventGuard.h"
#include "mainwindow/HeadForm.h"
#include "names/NameDialogs.h"
#include "output/UtskrStatForm.h"
#include "platform/Platform.h"
#include "platform/SwedishTexts.h"
#include "services/BackUpForm.h"
#include "services/DonateForm.h"
#include "services/RappForm.h"

#include <QApplication>

namespace {

// An error that no routine trapped is reported instead of ending the program.
class Application final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override {
        return fyn::deliverGuarded([&] { return QApplication::notify(receiver, e); }, receiver);
    }
};

} // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fynlar"));
    platform::installSwedishTexts();
    platform::installReal();
    fyn::installReportForm();
    fyn::installNameDialogs();
    fyn::installBudgetDialogs();
    fyn::installOutputDialog();
    fyn::installBackUpForm();
    fyn::installDonateForm();

    fyn::HeadForm window;
    window.Form_Load();
    return app.exec();
}
