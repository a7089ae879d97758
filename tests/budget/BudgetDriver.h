#pragma once
// Drives the budgeting dialog from the real main window: the menu item opens
// it, and the user clicks its labels, lists and buttons and types into it.
#include "budget/BudgAltForm.h"
#include "budget/BudgetDialogs.h"
#include "budget/HolidayForm.h"
#include "names/NamesDriver.h"
#include "platform/ClickLabel.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QToolButton>

namespace fyn::test {

inline QByteArray
mallRows(std::initializer_list<
         std::tuple<const char*, const char*, const char*, const char*, const char*>>
             rows) {
    QByteArray out;
    for (const auto& [ref, belopp, month, day, mark] : rows)
        out += encodeRecord(BudgMallPost{ref, belopp, month, day, mark});
    return out;
}

inline QByteArray redDayRows(std::initializer_list<std::pair<const char*, const char*>> rows) {
    QByteArray out;
    for (const auto& [name, date] : rows)
        out += encodeRecord(RedDayPost{QString::fromUtf8(name), date});
    return out;
}

class BudgetTest : public NameTest {
protected:
    void SetUp() override {
        NameTest::SetUp();
        savedHook = HeadForm::openBudgAltForm;
        installBudgetDialogs();
    }
    void TearDown() override {
        NameTest::TearDown();
        HeadForm::openBudgAltForm = savedHook;
    }

    // Starts the program on a budget account with its template and the
    // holiday register as given, today being today.
    HeadForm& startBudget(const std::vector<Row>& rows,
                          const std::vector<std::pair<QString, QString>>& trans,
                          const QByteArray& template_, const QByteArray& redDays = {},
                          const QDate& today = {2026, 8, 18}) {
        fakes.clock->date = today;
        form.reset();
        ledger::account().closeAll();
        checkpoint();
        FixtureAccount a = account("Bg", ledgerOf("Bg", rows));
        a.trans = trans;
        name = a.name;
        writeAccount(a, 1);
        writeFile(accountFile(name, "B-mall"), template_);
        if (!redDays.isEmpty())
            writeFile(redDayFilPath(), redDays);
        writeKontoIni("1\r\nAnna\r\n");
        form = std::make_unique<HeadForm>();
        form->Form_Load();
        return *form;
    }

    // "Budgetplanering" chosen with the mouse.
    BudgAltForm& openBudgeting() {
        chooseMenuItem(form->menuBar(), form->Ark_mn, form->bupl_mn);
        BudgAltForm* d = budgAltForm();
        if (!d)
            throw std::runtime_error("the budgeting dialog did not open");
        return *d;
    }

    static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    static void press(QWidget* w) { QTest::mousePress(w, Qt::LeftButton); }
    static void pressAndRelease(QWidget* w) {
        QTest::mousePress(w, Qt::LeftButton);
        QTest::mouseRelease(w, Qt::LeftButton);
    }

    // A click on an option button's round mark.
    static void clickOption(QAbstractButton* o) {
        QTest::mouseClick(o, Qt::LeftButton, {}, QPoint(6, o->height() / 2));
    }

    // A click on a list's entry.
    static void clickItem(QListWidget* list, const QString& text) {
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        ASSERT_TRUE(list->isVisible()) << list->objectName().toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.first()).center());
    }
    static QStringList items(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    // The transaction list shown and a transaction picked from it.
    void pickTransaction(BudgAltForm& d, const QString& shown) {
        click(d.Command7);
        clickItem(d.List4, shown);
    }

    // A month's day chosen: its date label, then the day in the list.
    static void chooseDay(BudgAltForm& d, int month, const QString& day) {
        click(d.dateLabel[size_t(month)]);
        clickItem(d.List1, day);
    }

    // An amount typed into a box (what was there replaced) and Enter.
    static void typeAmount(BudgAltForm& d, int month, const QString& text) {
        QLineEdit* box = d.amountBox[size_t(month)];
        click(box);
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }

    static QStringList days(BudgAltForm& d) {
        QStringList out;
        for (int m = 1; m <= 12; ++m)
            out << d.dateLabel[size_t(m)]->text();
        return out;
    }

    QByteArray redDayFile() const { return readFile(redDayFilPath()); }

    std::function<void(HeadForm&)> savedHook;
};

} // namespace fyn::test
