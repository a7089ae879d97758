#pragma once
// The budgeting dialog of a budget account: a transaction picked from the
// account's list, its budget template placed on the days of the budget
// period, the amounts adjusted, and "Budgetera ovanstående" posting them.
// The rules are the plain functions beside it; this window asks the user and
// shows the result.
#include "budget/AmountRows.h"
#include "budget/Generator.h"
#include "budget/HolidayForm.h"
#include "budget/Placement.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace platform {
class ClickLabel;
} // namespace platform

namespace fyn {

class HeadForm;

class BudgAltForm : public QWidget {
    Q_OBJECT
public:
    explicit BudgAltForm(HeadForm& head);
    ~BudgAltForm() override;
    HeadForm& head() const { return head_; }
    HolidayForm* holidayForm() const { return holidayForm_; }

    void Form_Load();
    void Command1_Click(); // "Avsluta budgetering"
    void Command2_Click(); // "Budgetera ovanstående": the posting run
    void Command4_Click(); // "Uteslut datum": the holiday register
    void hlp_mn_Click();
    void InfoBox(int n);

    // ---- Period and days ---------------------------------------------------
    void PeriodSuggest();
    void BudgetPeriod();
    void Close_Period();
    void Open_Period();
    void Label34_Click();
    void Label38_Click();
    void Label35_Click();
    void Label39_Click();
    void List2_MouseUp(int row);
    void List3_MouseUp(int row);
    // The date label of month m (Label9, Label11 .. Label31) clicked.
    void dateLabel_Click(int month);
    void DatumVal();
    void List1_MouseUp(int row);
    void List1_LostFocus();
    void Command5_Click(); // "Avbryt datum"

    // ---- Transactions and placement --------------------------------------------
    void Conditions();
    void ListUpDate();
    void MarkCheck();
    void List4_MouseDown(int row);
    void Option1_MouseUp();
    void Option2_MouseUp();
    void Option3_MouseUp();
    void Command3_Click();
    void Command7_Click();
    void Form_Click();
    void Text3_Click();

    // ---- Amount rows --------------------------------------------------------------
    void Rensa();
    // Whether the scan reached its end (the posting button is open then).
    bool BudgScanna();
    void Close_Fields();
    // Enter (13) in the amount box of month m; other keys pass.
    void amountBox_KeyPress(int month, int keyAscii);
    void Command6_Click(); // "Rensa"

    // The dialog's state, read by the tests.
    QString Budgetar, StartManad, StoppManad;
    int LabelNr = 0;
    int DatumLabelNr = 0;
    int DagPos = 0;
    budget::MonthList MonthList;
    QString ForstaBelopp;
    budget::Filter Utvalsnyckel = budget::Filter::Alla;
    long ValdTransRef = 0;
    int ListPos = 0;
    QString BudgFlagga;
    QStringList UteslutRef;
    int AntalUteslutna = 0;

    // What Command3 does now, set together with its caption.
    enum class Command3Mode { None, CancelTransaction, Exclude, Restore };
    Command3Mode command3Mode() const { return command3Mode_; }

    // Controls, named as the program names them; month rows by month 1..12.
    QAction* hlp_mn;
    QLabel *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label33, *Label36, *Label37,
        *Label40, *Label41, *Label43;
    platform::ClickLabel *Label34, *Label35, *Label38, *Label39;
    QListWidget *List1, *List2, *List3, *List4;
    std::array<QLabel*, 13> monthLabel{};              // Label8 .. Label30
    std::array<platform::ClickLabel*, 13> dateLabel{}; // Label9 .. Label31
    std::array<QLineEdit*, 13> amountBox{};            // Text4 .. Text15
    QLineEdit* Text3;
    QPlainTextEdit* Text1;
    QRadioButton *Option1, *Option2, *Option3;
    QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command6, *Command7;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool postTwiceAsked(const budget::Plan& plan);
    void buildPeriodRow(QWidget* body);
    void buildRows(QWidget* body);
    void buildTransactionSide(QWidget* body);
    void closeDialog(bool storePosition);
    int monthOf(int labelNr) const { return (labelNr - 7) / 2; }
    int labelNrOf(int month) const { return 7 + 2 * month; }
    void setCommand3(Command3Mode mode, const QString& caption, const QString& tip = {});
    void setFilter(budget::Filter f);
    void applyView(const budget::ConditionsView& v);
    void setBoxColour(int month, const QColor& c);
    // The amount box of month m is given only an amount the rows take;
    // anything else leaves it empty.
    void putAmount(int month, const QString& text);
    bool refusedAmount(int month, const budget::BoxAmount& a);
    void reportUnplaced(const std::vector<budget::UnplacedRecord>& unplaced,
                        const std::function<void(const budget::UnplacedRecord&)>& damaged);
    // The period changed: what the last scan took is no plan any more.
    void periodChanged();
    void yearLabelClick(int nr);
    void monthLabelClick(int nr);
    void placeList(QListWidget* list, QWidget* label, int leftTwips, int heightTwips);
    void filterUp(budget::Filter f);
    void pickNothing();
    void exclusion(bool restore);
    void keepDaysInYear();
    std::vector<TransPost> transactions() const;
    std::vector<BudgMallPost> templateRows() const;
    budget::RedDays redDays() const;
    bool underBudgeting() const;

    HeadForm& head_;
    QWidget* body_ = nullptr;
    QPointer<HolidayForm> holidayForm_;
    Command3Mode command3Mode_ = Command3Mode::None;
    bool closing_ = false;
    bool opening_ = false; // a date label is opening the day list
};

} // namespace fyn
