// What a screen reader reads of the main window: every label by the text it
// shows, also once the text has changed.
#include "mainwindow/WindowDriver.h"
#include "platform/ClickLabel.h"

#include <QAccessible>
#include <QLabel>

using namespace fyn;
using fyn::test::rec;

namespace {

using ScreenReader = test::WindowTest;

QString readName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QStringLiteral("(no interface)");
}

// Labels that show nothing are left out: Qt reads those by their frame's title.
void expectLabelsReadAsShown(HeadForm& f, const char* when) {
    for (QLabel* l : f.findChildren<QLabel*>()) {
        if (!l->text().isEmpty()) {
            EXPECT_EQ(readName(l), l->text()) << when << ": " << l->objectName().toStdString();
        }
    }
}

TEST_F(ScreenReader, EveryLabelIsReadByTheTextItShows) {
    test::FixtureAccount a =
        account("Bg", {rec(test::budget("2026-01-01", "1", "0", "0", "0", "0", "0"))});
    a.name = "Hus & hem";
    HeadForm& f = start(a);
    expectLabelsReadAsShown(f, "opened");
    EXPECT_EQ(readName(f.YearShow), "2026");
    EXPECT_EQ(readName(f.DayShow), "09");

    QTest::mouseClick(f.findChild<platform::ClickLabel*>("DayPlus"), Qt::LeftButton);
    QTest::mouseMove(f.findChild<platform::ClickLabel*>("MonthShow"));
    ASSERT_EQ(f.Label29->text(), "Datumsökning");
    expectLabelsReadAsShown(f, "date stepped, help shown");
    EXPECT_EQ(readName(f.DayShow), "10");
    EXPECT_EQ(readName(f.Label29), "Datumsökning");
}

} // namespace
