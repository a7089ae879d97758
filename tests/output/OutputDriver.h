#pragma once
// Accounts for the listings, and the output dialog driven from the real main
// window with the mouse and the keyboard.
#include "core/Amount.h"
#include "core/Numbers.h"
#include "core/SafeWrite.h"
#include "mainwindow/DropDownCombo.h"
#include "mainwindow/WindowDriver.h"
#include "output/UtskrStatForm.h"
#include "platform/ClickLabel.h"
#include "platform/DrawingArea.h"
#include "platform/testing/FakeFileDialogs.h"
#include "platform/testing/FakePrinter.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDirIterator>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <vector>

namespace fyn::test {

// A posting: date, TransRef, budget and actual amounts (a simple account has
// the actual one), SubRef and status.
struct Posting {
    QString date;
    int ref;
    QString budg;
    QString verkl;
    QString sub = "";
    QString status = "*";
};

// The postings with running balances, each the one before plus the amount.
inline std::vector<QByteArray> postingsOf(const QString& slag, const std::vector<Posting>& rows) {
    std::vector<QByteArray> out;
    Amount b, v;
    for (const Posting& r : rows) {
        b += Amount::parse(r.budg);
        v += Amount::parse(r.verkl);
        const QString ref = QString::number(r.ref);
        out.push_back(slag == "Ek"
                          ? rec(enkel(r.date, ref, r.verkl, v.storage(), " ", r.sub))
                          : rec(budget(r.date, ref, r.budg, r.verkl, b.storage(), v.storage(),
                                       (v - b).storage(), r.status, " ", r.sub)));
    }
    return out;
}

// n postings a day apart from 2024-01-01, the first the account's start.
inline std::vector<Posting> days(int n) {
    std::vector<Posting> rows;
    const QDate first(2024, 1, 1);
    for (int i = 0; i < n; ++i)
        rows.push_back({first.addDays(i).toString(Qt::ISODate), i == 0 ? 1 : 2 + i % 2,
                        i == 0 ? "0" : QString::number(100 + i), i == 0 ? "0" : QString::number(-i),
                        i % 3 == 0 ? "" : "1"});
    return rows;
}

// The simple account of the text-file examples: a long name that wraps, a
// deleted subtransaction, negative amounts.
inline FixtureAccount simpleHem() {
    FixtureAccount a;
    a.name = "Hem";
    a.slag = "Ek";
    a.trans = {
        {"Kontostart", " "}, {"Lön", "+"}, {"Hyra", "-"}, {"Försäkringar och avgifter", "-"}};
    a.kategori = {"Extra", ""};
    a.postings = postingsOf("Ek", {{"2024-01-01", 1, "0", "30000"},
                                   {"2024-01-15", 2, "0", "25000"},
                                   {"2024-01-20", 3, "0", "-7500,5"},
                                   {"2024-02-20", 3, "0", "-7000", "1"},
                                   {"2024-03-01", 4, "0", "-1200", "2"},
                                   {"2024-03-20", 3, "0", "-8000"}});
    return a;
}

// The budget account of the examples: a deleted main transaction, a planned
// posting, amounts of thirteen characters.
inline FixtureAccount budgetBud() {
    FixtureAccount a;
    a.name = "Bud";
    a.slag = "Bg";
    a.trans = {{"Kontostart", " "}, {"Mat", "-"}, {"", " "}, {"Lön", "+"}};
    a.kategori = {"Ica", "Coop"};
    a.postings = postingsOf("Bg", {{"2024-01-01", 1, "0", "0"},
                                   {"2024-01-05", 2, "-500", "-450,25", "1"},
                                   {"2024-01-25", 4, "20000", "21000"},
                                   {"2024-02-01", 3, "-1000", "0", "2", " "},
                                   {"2024-03-01", 4, "12345678,9", "12345678,9"}});
    return a;
}

class OutputTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        installOutputDialog();
        fakes.clock->date = QDate(2024, 5, 1);
    }
    void TearDown() override {
        delete utskrStatForm();
        EXPECT_TRUE(fakes.messages->answers.empty()) << "questions scripted but not asked";
        // (A test may have put the real save box or printer in the double's place.)
        if (fakes.files) {
            EXPECT_TRUE(fakes.files->answers.empty()) << "save boxes scripted but not shown";
        }
        if (&platform::printers() == fakes.printers) {
            EXPECT_TRUE(fakes.printers->answers.empty()) << "print boxes scripted but not shown";
        }
        WindowTest::TearDown();
    }

    // Starts the program on the account and opens the dialog from the menu.
    UtskrStatForm& openOn(const FixtureAccount& a) {
        start(a);
        return openDialog();
    }
    // The same, with the posting file on disk replaced after the main window
    // has read it.
    UtskrStatForm& openOnDamaged(const FixtureAccount& a, int record, const QByteArray& bytes) {
        start(a);
        QByteArray data = readFile(accountFile(a.name, "KontoData"));
        data.replace((record - 1) * bytes.size(), bytes.size(), bytes);
        writeFile(accountFile(a.name, "KontoData"), data);
        return openDialog();
    }
    UtskrStatForm& openDialog() {
        chooseMenuItem(form->menuBar(), form->Ark_mn, form->utskrstat_mn);
        UtskrStatForm* d = utskrStatForm();
        if (!d)
            throw std::runtime_error("the dialog did not open");
        return *d;
    }

    // An account chosen as a user does: the list opened with the mouse, the
    // row reached with the arrow keys and taken with Enter.
    static void chooseAccount(UtskrStatForm& d, const QString& name) {
        QTest::mouseClick(d.Combo1, Qt::LeftButton);
        QAbstractItemView* list = d.Combo1->view();
        const int row = d.Combo1->findText(name);
        ASSERT_GE(row, 0) << name.toStdString();
        ASSERT_TRUE(list->isVisible());
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    }
    // A click on a check box or option button, on its indicator.
    static void tick(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(7, b->height() / 2));
    }
    static void press(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    static void clickLabel(QLabel* l) { QTest::mouseClick(l, Qt::LeftButton); }
    // A click on a row of a list.
    static void choose(QListWidget* list, const QString& text) {
        const auto items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(items.first()).center());
    }
    // The date part's pop-up list opened and a value chosen in it.
    static void setDatePart(QLabel* label, QListWidget* list, const QString& value) {
        clickLabel(label);
        ASSERT_TRUE(list->isVisible());
        choose(list, value);
    }
    static void setPeriod(UtskrStatForm& d, const QString& start, const QString& stop) {
        setDatePart(d.Label7, d.List1, start.mid(0, 4));
        setDatePart(d.Label11, d.List2, start.mid(5, 2));
        setDatePart(d.Label9, d.List3, start.mid(8, 2));
        setDatePart(d.Label8, d.List1, stop.mid(0, 4));
        setDatePart(d.Label12, d.List2, stop.mid(5, 2));
        setDatePart(d.Label10, d.List3, stop.mid(8, 2));
    }

    // Ticks the boxes of a variant: Check1, Check2, Check3.
    static void tickVariant(UtskrStatForm& d, bool c1, bool c2, bool c3) {
        if (c1)
            tick(d.Check1);
        if (c2)
            tick(d.Check2);
        if (c3)
            tick(d.Check3);
    }

    // "Textfil", "Utskrift", and the save box answered with path.
    void listToFile(UtskrStatForm& d, const QString& path) {
        tick(d.Option2);
        fakes.files->answers.push_back(path);
        press(d.Command1);
    }
    // "Skärm" and "Utskrift".
    static void listOnScreen(UtskrStatForm& d) {
        tick(d.Option1);
        press(d.Command1);
    }
    // "Printer", "Utskrift", and the set-up box answered with OK or cancel.
    void print(UtskrStatForm& d, bool ok = true) {
        tick(d.Option3);
        fakes.printers->answers.push_back(ok);
        press(d.Command1);
    }
    // Statistics mode entered with a click on Text2 and the transaction
    // chosen in its list.
    static void chooseTransaction(UtskrStatForm& d, const QString& name) {
        QTest::mouseClick(d.Text2, Qt::LeftButton);
        ASSERT_TRUE(d.List4->isVisible());
        choose(d.List4, name);
    }

    // The texts of a grid row.
    static QStringList row(const UtskrStatForm& d, int r) {
        QStringList out;
        for (int c = 0; c < d.Grid1->columnCount(); ++c) {
            const QTableWidgetItem* i = d.Grid1->item(r, c);
            out << (i ? i->text() : QString());
        }
        return out;
    }
    // The headings shown above the table, left to right.
    static QStringList headings(const UtskrStatForm& d) {
        std::vector<QLabel*> shown;
        for (QLabel* l : d.Frame1->findChildren<QLabel*>())
            if (!l->isHidden())
                shown.push_back(l);
        std::sort(shown.begin(), shown.end(), [](QLabel* a, QLabel* b) { return a->x() < b->x(); });
        QStringList out;
        for (QLabel* l : shown)
            out << l->text();
        return out;
    }

    // Every file of the data folder but the window places and the journal,
    // with its bytes.
    QMap<QString, QByteArray> dataFiles() const {
        QMap<QString, QByteArray> out;
        QDirIterator it(dataFolder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString p = it.next();
            if (!p.endsWith("/PosFil") && !p.endsWith("/.journal"))
                out[p] = readFile(p);
        }
        return out;
    }
};

} // namespace fyn::test
