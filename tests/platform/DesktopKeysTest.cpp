// Enter presses the focused button in every kind of window, once; F1 opens
// the window's help topic.
#include "platform/Ui.h"
#include "platform/testing/FakePlatform.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using platform::makeControl;

namespace {

struct Window {
    QWidget top;
    QPushButton* button = makeControl<QPushButton>(&top, "Command1", QStringLiteral("OK"));
    QLineEdit* box = makeControl<QLineEdit>(&top, "Text1");
    Window() {
        box->move(0, 40);
        top.show();
        top.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&top));
    }
};

} // namespace

TEST(DesktopKeys, EnterAndSpacePressTheFocusedButtonOfAPlainWindowOnce) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int clicks;
    } cases[] = {{Qt::Key_Return, Qt::NoModifier, 1},
                 {Qt::Key_Enter, Qt::KeypadModifier, 1},
                 {Qt::Key_Space, Qt::NoModifier, 1},
                 {Qt::Key_Return, Qt::ControlModifier, 0},
                 {Qt::Key_A, Qt::NoModifier, 0}};
    for (const auto& c : cases) {
        Window w;
        w.button->setFocus();
        QSignalSpy clicked(w.button, &QPushButton::clicked);
        QTest::keyClick(w.button, c.key, c.modifiers);
        EXPECT_EQ(clicked.count(), c.clicks) << c.key;
    }
}

TEST(DesktopKeys, NoPressForADisabledButtonAHeldKeyOrATextBox) {
    Window w;
    QSignalSpy clicked(w.button, &QPushButton::clicked);
    w.button->setFocus();
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(w.button, &repeat);
    EXPECT_EQ(clicked.count(), 0);

    w.button->setEnabled(false);
    QTest::keyClick(w.button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 0);

    // Enter in a text box keeps its own meaning.
    QSignalSpy returned(w.box, &QLineEdit::returnPressed);
    w.box->setFocus();
    QTest::keyClick(w.box, Qt::Key_Return);
    EXPECT_EQ(returned.count(), 1);
    EXPECT_EQ(clicked.count(), 0);
}

TEST(DesktopKeys, ADialogsAutoDefaultButtonIsPressedOnceNotTwice) {
    QDialog dialog;
    auto* button = makeControl<QPushButton>(&dialog, "Command1", QStringLiteral("OK"));
    button->setAutoDefault(true);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    button->setFocus();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
}

// F1 from an open list belongs to the window the list opened from; a held
// key opens the topic once, and Ctrl+F1 is not F1.
TEST(DesktopKeys, F1InAnOpenListOrHeldOpensTheWindowsTopicOnce) {
    platform::testing::FakePlatform fakes;
    Window w;
    platform::setHelpTopic(w.top, 50000);
    auto* list = makeControl<QComboBox>(&w.top, "Combo1");
    list->addItems({QStringLiteral("Mat"), QStringLiteral("Hyra")});
    list->move(0, 80);
    list->show();
    list->showPopup();
    QWidget* popup = list->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }));
    QTest::keyClick(popup, Qt::Key_F1);
    EXPECT_EQ(fakes.help->contexts, std::vector<int>{50000});
    list->hidePopup();

    QKeyEvent held(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(w.box, &held);
    QTest::keyClick(w.box, Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(fakes.help->contexts, std::vector<int>{50000});
}
