#include "core/InsetBox.h"

#include "core/State.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace fyn {

using platform::twips;
constexpr int px(int t) {
    return twips(t);
}

// The client area at rest; the window is 2010 twips high with its title bar
// and borders, which the window manager adds here.
constexpr int kClientHeight = 1890;
constexpr int kFrameHeight = 2010 - kClientHeight;

InsetBox::InsetBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("InsetBox"));
    setModal(true);
    setFixedWidth(px(4680));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Tryck Enter efter textinmatning !"));
    Label1->setBuddy(Text1);

    Command1 = platform::makeControl<QPushButton>(this, "Command1", QStringLiteral("OK"));
    Command2 = platform::makeControl<QPushButton>(this, "Command2", QStringLiteral("Avbryt"));
    // Enter belongs to the text box, never to a default button.
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);

    Text1->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &InsetBox::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &InsetBox::Command2_Click);
    resetLayout();
}

void InsetBox::resetLayout() {
    Label1->setGeometry(px(360), px(120), px(3975), Label1->height());
    Text1->setGeometry(px(360), px(720), px(3975), px(405));
    Command1->setGeometry(px(3000), px(1320), px(1335), px(375));
    Command2->setGeometry(px(360), px(1320), px(1215), px(375));
    Command1->setEnabled(false);
    Command1->setDefault(false);
    setFixedHeight(px(kClientHeight));
}

void InsetBox::prepare(const QString& prompt, const QString& title, const QString& defaultText) {
    Label1->setText(prompt);
    setWindowTitle(title);
    Text1->setText(defaultText);
    // The prompt takes the height its wrapped text needs; the rest moves down.
    const int labelHeight = Label1->heightForWidth(px(3975));
    Label1->setGeometry(px(360), px(120), px(3975), labelHeight);
    // 2500 twips more than the prompt, title bar and borders included.
    setFixedHeight(labelHeight + px(2500 - kFrameHeight));
    Text1->move(px(360), Label1->y() + labelHeight + px(500));
    Command1->move(Command1->x(), Text1->y() + px(600));
    Command2->move(Command2->x(), Text1->y() + px(600));
    Text1->setFocus();
}

bool InsetBox::eventFilter(QObject* watched, QEvent* e) {
    // Enter in the text box takes the answer and nothing more: the dialog must
    // not see it as a press of its default button.
    if (watched == Text1 && platform::isEnterPress(e)) {
        Text1_Enter();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void InsetBox::Text1_Enter() {
    Module1.InsetText = Text1->text();
    Command1->setEnabled(true);
    Command1->setDefault(true); // a second Enter answers
    Command1->setFocus();
}

void InsetBox::Command1_Click() {
    Label1->clear();
    Text1->clear();
    resetLayout();
    done(QDialog::Accepted);
}

void InsetBox::Command2_Click() {
    Module1.InsetText.clear();
    Command1->setEnabled(true);
    Command1_Click();
}

void InsetBox::reject() {
    Command2_Click();
}

InsetBox& insetBox() {
    static InsetBox* box = new InsetBox; // lives as long as the program
    return *box;
}

QString InsetInput(const QString& prompt, const QString& title, const QString& defaultText) {
    InsetBox& box = insetBox();
    // An answer is only what Enter took; a box closed before Enter answers "".
    Module1.InsetText.clear();
    box.prepare(prompt, title, defaultText);
    platform::modalHost().runModal(box);
    return Module1.InsetText;
}

} // namespace fyn
