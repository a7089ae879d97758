#pragma once
// Drives the name dialogs from the real main window: the transaction text box
// opens them, as a press on it does.
#include "core/Amount.h"
#include "core/SafeWrite.h"
#include "mainwindow/WindowDriver.h"
#include "names/NameDialogs.h"
#include "names/SubTransForm.h"
#include "names/TransForm.h"

#include <QLineEdit>
#include <QTest>
#include <vector>

namespace fyn::test {

// A posting of a fixture: date, TransRef, budget and actual amounts (a simple
// account uses the actual one), SubRef.
struct Row {
    const char* date;
    int ref;
    const char* budg;
    const char* verkl;
    const char* sub = "";
};

// The postings with running balances, each the one before plus the amount.
inline std::vector<QByteArray> ledgerOf(const QString& slag, const std::vector<Row>& rows) {
    std::vector<QByteArray> out;
    Amount b, v;
    for (const Row& r : rows) {
        b += Amount::parse(r.budg);
        v += Amount::parse(r.verkl);
        const QString ref = QString::number(r.ref);
        out.push_back(slag == "Ek" ? rec(enkel(r.date, ref, r.verkl, v.storage(), " ", r.sub))
                                   : rec(budget(r.date, ref, r.budg, r.verkl, b.storage(),
                                                v.storage(), (v - b).storage(), "*", " ", r.sub)));
    }
    return out;
}

inline QByteArray joined(const std::vector<QByteArray>& parts) {
    QByteArray out;
    for (const QByteArray& p : parts)
        out += p;
    return out;
}

inline QByteArray transakt(std::initializer_list<std::pair<const char*, const char*>> names) {
    QByteArray out;
    for (const auto& [name, sign] : names)
        out += encodeRecord(TransPost{name, sign});
    return out;
}

class NameTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        installNameDialogs();
    }
    void TearDown() override {
        EXPECT_TRUE(fakes.messages->answers.empty()) << "questions scripted but not asked";
        WindowTest::TearDown();
    }

    // A fresh start on the account; an earlier start's files and journal are
    // settled first, so that nothing of them is replayed over the new ones.
    HeadForm& startWith(const QString& slag, const std::vector<Row>& rows,
                        std::vector<std::pair<QString, QString>> trans = {},
                        QStringList kategori = {"Mat", "Hyra"}) {
        form.reset();
        ledger::account().closeAll();
        checkpoint();
        FixtureAccount a = account(slag, ledgerOf(slag, rows));
        if (!trans.empty())
            a.trans = std::move(trans);
        a.kategori = std::move(kategori);
        return start(a);
    }

    TransForm& mainDialog() { return transForm(*form); }
    SubTransForm& subDialog() { return subTransForm(*form); }

    QLineEdit* transText() const {
        return budget() ? form->TransText_Budget : form->TransText_Enkel;
    }
    void door() {
        budget() ? form->TransText_Budget_MouseDown() : form->TransText_Enkel_MouseDown();
    }
    void answer(std::initializer_list<platform::Answer> a) {
        fakes.messages->answers.insert(fakes.messages->answers.end(), a);
    }

    // The main transaction dialog on a name picked from the list.
    TransForm& openChange(const QString& shown) {
        pick(shown);
        answer({platform::Answer::Yes}); // "Vill du ändra eller radera denna transaktion ?"
        door();
        return mainDialog();
    }
    // The main transaction dialog for a new name.
    TransForm& openNew() {
        answer({platform::Answer::Yes}); // "Har du kontrollerat om den transaktion ..."
        door();
        return mainDialog();
    }
    // The subtransaction list in the entry row.
    void showSubs() {
        budget() ? form->S_TransOptionBudg_MouseDown() : form->S_TransOptionEnk_MouseDown();
    }
    SubTransForm& openSubChange(const QString& shown) {
        showSubs();
        pick(shown);
        answer({platform::Answer::Yes}); // "Vill du ändra eller radera subtransaktionen ..."
        door();
        return subDialog();
    }
    SubTransForm& openSubNew() {
        showSubs();
        answer({platform::Answer::Yes}); // "Har du kontrollerat om ..."
        door();
        return subDialog();
    }

    // Text typed (set, as "åäö" cannot be typed here) and ended with Enter.
    static void enter(QLineEdit* box, const QString& text) {
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
    }

    QByteArray transaktFile() const { return readFile(accountFile(name, "Transakt")); }
    QByteArray kategoriFile() const { return readFile(accountFile(name, "Kategori")); }
    // Every file of the account, to see that nothing changed.
    QByteArray allFiles() const {
        return data() + "|" + transaktFile() + "|" + kategoriFile() + "|" + bmall();
    }
};

} // namespace fyn::test
