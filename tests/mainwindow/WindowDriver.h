#pragma once
// Drives the main window on a small account as the user would: choosing a
// transaction, typing amounts, pressing the buttons and clicking the grid.
#include "core/Paths.h"
#include "core/RecordFile.h"
#include "core/State.h"
#include "ledger/Account.h"
#include "mainwindow/HeadForm.h"
#include "mainwindow/PostingGrid.h"
#include "support/AccountFixture.h"
#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace fyn::test {

inline QByteArray records(std::initializer_list<QByteArray> parts) {
    QByteArray out;
    for (const QByteArray& p : parts)
        out += p;
    return out;
}
inline QByteArray rec(const EnkelKontoPost& p) {
    return encodeRecord(p);
}
inline QByteArray rec(const BudgetKontoPost& p) {
    return encodeRecord(p);
}
inline QByteArray mall(const QString& ref, const QString& belopp, const QString& manad,
                       const QString& dag) {
    return encodeRecord(BudgMallPost{ref, belopp, manad, dag, "  "});
}

// The last error dump's entries begin with these labels, in this order.
inline void expectDump(const QStringList& labels) {
    const QStringList entries = Module1.FelDump.split(QChar(0xA6));
    ASSERT_GE(entries.size(), labels.size()) << Module1.FelDump.toStdString();
    for (qsizetype i = 0; i < labels.size(); ++i)
        EXPECT_TRUE(entries[i].startsWith(labels[i]))
            << i << ": '" << entries[i].toStdString() << "', not '" << labels[i].toStdString()
            << "'";
}

// Chooses a menu item with the mouse: its menu opened from the menu bar, then
// the item clicked. An unavailable menu does not open; an unavailable item
// leaves the menu open, and it is closed again.
inline void chooseMenuItem(QMenuBar* bar, QMenu* menu, QAction* item) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    if (!menu->isVisible())
        return;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    if (menu->isVisible())
        menu->close();
}

// Clicks an item that stands in a menu bar itself.
inline void clickBarItem(QMenuBar* bar, QAction* item) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(item).center());
}

// A point of w that no child covers, for moving the mouse over its bare surface.
inline QPoint bareSpot(QWidget* w) {
    for (int y = w->height() - 2; y > 0; --y)
        for (int x = 2; x < w->width() - 2; ++x)
            if (!w->childAt(x, y))
                return {x, y};
    return {};
}

// Opens a drop-down list with a click and clicks item index in it, as a user
// does. False when the list did not take it (a greyed list does not open).
inline bool clickListItem(QComboBox* c, int index) {
    QTest::mouseClick(c, Qt::LeftButton);
    if (!c->view()->isVisible())
        return false;
    QWidget* items = c->view()->viewport();
    const QPoint at = c->view()->visualRect(c->model()->index(index, 0)).center();
    // Along the item from its left edge: the list takes a click only once the
    // mouse has moved in it.
    for (const QPoint p : {QPoint(1, at.y()), at}) {
        QMouseEvent move(QEvent::MouseMove, p, items->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(items, &move);
    }
    QSignalSpy taken(c, &QComboBox::activated);
    QTest::mouseClick(items, Qt::LeftButton, {}, at);
    return taken.count() == 1 && taken.at(0).at(0).toInt() == index;
}

class WindowTest : public Sandbox {
protected:
    void SetUp() override {
        oldCurrent = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override {
        form.reset();
        ledger::account().closeAll();
        QDir::setCurrent(oldCurrent);
    }

    // Starts the program on the account, as the only one in the register.
    HeadForm& start(const FixtureAccount& a) {
        name = a.name;
        writeAccount(a, 1);
        writeKontoIni("1\r\nAnna\r\n");
        form = std::make_unique<HeadForm>();
        form->Form_Load();
        return *form;
    }

    static FixtureAccount account(const QString& slag, std::vector<QByteArray> postings) {
        FixtureAccount a;
        a.name = "Hushåll";
        a.slag = slag;
        a.postings = std::move(postings);
        a.kategori = {"Mat", "Hyra"};
        return a;
    }

    bool budget() const { return Module1.KontoSlag == "Bg"; }
    QComboBox* combo() const { return budget() ? form->TransCombo_Budget : form->TransCombo_Enkel; }
    QLineEdit* firstBox() const { return budget() ? form->BudgBel_Budget : form->Bel_Enkel; }
    QLineEdit* verklBox() const { return budget() ? form->VerklBel_Budget : form->Bel_Enkel; }

    // Chooses a name in the transaction list as a click on it does.
    void pick(const QString& item) {
        QComboBox* c = combo();
        const int i = c->findText(item);
        ASSERT_GE(i, 0) << item.toStdString();
        c->setCurrentIndex(i);
        emit c->activated(i);
    }

    // Chooses a name in the transaction list with the mouse: the list opened
    // with a click, then the item clicked. False when the list did not take
    // it (a greyed list does not open).
    bool choose(const QString& item) {
        QComboBox* c = combo();
        const int index = c->findText(item);
        return index >= 0 && clickListItem(c, index);
    }

    // Types into an amount box and ends with Enter.
    static void type(QLineEdit* box, const QString& text) {
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }

    // Replaces a marked posting's amount, as selecting the text and typing does.
    static void retype(QLineEdit* box, const QString& text) {
        box->selectAll();
        type(box, text);
    }

    // A mouse click on a cell of the open account's grid.
    void clickRow(int row, int col = 0) {
        PostingGrid* g = form->findChild<PostingGrid*>(budget() ? "G2" : "G1");
        ASSERT_TRUE(g);
        const QRect cell = g->visualRect(g->model()->index(row, col));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
    }

    void setDate(const QString& date) {
        form->FormDate = date;
        form->datumset();
    }

    QByteArray data() const { return readFile(accountFile(name, "KontoData")); }
    QByteArray bmall() const { return readFile(accountFile(name, "B-mall")); }

    // The titles of the boxes shown since the last call.
    QStringList titles() {
        QStringList t;
        for (size_t i = seen; i < fakes.messages->calls.size(); ++i)
            t << fakes.messages->calls[i].title;
        seen = fakes.messages->calls.size();
        return t;
    }

    QString oldCurrent;
    QString name;
    size_t seen = 0;
    std::unique_ptr<HeadForm> form;
};

} // namespace fyn::test
