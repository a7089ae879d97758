#include "names/NameSupport.h"

#include "core/Amount.h"
#include "core/Codec1252.h"
#include "core/State.h"
#include "ledger/Engine.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace fyn {

bool blankName(const QString& name) {
    for (const QChar c : name)
        if (!c.isSpace())
            return false;
    return true;
}

QString nameProblem(const QString& trimmedName) {
    if (blankName(trimmedName))
        return QStringLiteral("Namnet är tomt. Skriv ett namn med minst ett synligt tecken !");
    for (const QChar c : trimmedName)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("Namnet innehåller styrtecken (t ex tabb eller radbrytning), "
                                  "som inte kan sparas !");
    if (!fitsCp1252(trimmedName))
        return QStringLiteral("Namnet innehåller tecken som programmet inte kan spara "
                              "(endast västeuropeiska bokstäver och tecken går att använda) !");
    if (toCp1252(trimmedName).size() > kNameBytes)
        return QStringLiteral("Namnet är för långt: högst %1 tecken får plats !").arg(kNameBytes);
    return {};
}

void refuseName(const QString& problem) {
    platform::messages().show(problem + QStringLiteral("\n\nIngenting har sparats."),
                              platform::Buttons::Ok, platform::Icon::Warning,
                              QStringLiteral("Ogiltigt namn"));
}

QWidget* dialogBody(QWidget& dialog, QAction*& help, int helpContext, int widthTwips,
                    int heightTwips, std::function<void()> cancel) {
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar(&dialog);
    layout->setMenuBar(bar);
    help = bar->addAction(QStringLiteral("Hjälp"));
    help->setObjectName(QStringLiteral("hlp_mn"));
    QObject::connect(help, &QAction::triggered, &dialog,
                     [helpContext] { platform::help().showContext(helpContext); });
    platform::setHelpTopic(dialog, helpContext);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), &dialog);
    esc->setContext(Qt::WindowShortcut);
    QObject::connect(esc, &QShortcut::activated, &dialog, std::move(cancel));
    auto* body = new QWidget(&dialog);
    body->setFixedSize(platform::twips(widthTwips), platform::twips(heightTwips));
    layout->addWidget(body);
    return body;
}

void plainLabel(QLabel* label) {
    label->setTextFormat(Qt::PlainText);
}

bool ask(const QString& text, const QString& title) {
    return platform::messages().show(text, platform::Buttons::YesNo, platform::Icon::None, title) !=
           platform::Answer::No;
}

void inform(const QString& text, const QString& title) {
    platform::messages().show(text, platform::Buttons::Ok, platform::Icon::Information, title);
}

} // namespace fyn
