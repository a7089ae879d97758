#pragma once
// The main transaction dialog: a new name for the open account, or the rename,
// change of sign or deletion of the name the main window shows.
#include <QWidget>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace fyn {

class HeadForm;

class TransForm : public QWidget {
    Q_OBJECT
public:
    explicit TransForm(HeadForm& head);
    HeadForm& head() const { return head_; }

    void Form_Load();
    void Option1_MouseUp(); // "Ändra"
    void Option2_Click();   // "Radera"
    void Option3_MouseUp(); // "Inkomst"
    void Option4_MouseUp(); // "Utgift"
    void Text1_KeyPress(int keyAscii);
    void Command1_Click(); // "OK"
    void Command2_Click(); // close without saving; also the end of every operation

    void TransChange();
    // Stores Module1.HuvudTrans with Module1.TransTecken in the first free slot.
    void TransSpar();
    void TransRadera_Budget();
    void TransRadera_Enkel();

    // The budgeting dialog that opens this dialog for a new name (TransCaller
    // "budg"): the window it disables, and its Conditions, run when this
    // dialog saves or closes. Installed by the budgeting library.
    static std::function<QWidget*(HeadForm&)> budgetWindow;
    static std::function<void(HeadForm&)> budgetConditions;

    QLabel *Label1, *Label2;
    QLineEdit* Text1;
    QRadioButton *Option1, *Option2, *Option3, *Option4;
    QPushButton *Command1, *Command2;
    QAction* hlp_mn;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool budget() const;
    bool fromHead() const;
    // The budgeting dialog when it opened this dialog, else nullptr.
    QWidget* fromBudget() const;
    void backToBudget();
    QLineEdit* transText() const;
    QComboBox* transCombo() const;
    void refillList();
    bool hasNeutral() const;
    // The dialog works on record 1, the account start "Kontostart".
    bool accountStart() const { return record_ == 1; }
    void signOffer(const QString& opening);
    void chooseSign(bool income);
    void TransRadera(bool budget);
    bool removeAccountInstead(long postings);
    void pickSaved();
    void setHint(const QString& text, bool green = false);

    HeadForm& head_;
    // The record the dialog works on in "chg" mode, found from the shown name.
    long record_ = 0;
    QString oldSign_;
    bool renaming_ = false; // "Ändra" chosen, the name box is open
};

} // namespace fyn
